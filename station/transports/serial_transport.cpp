#include "station/transports/serial_transport.h"
#include "station/transports/kinds_transport.h"

#include <QSerialPortInfo>
#include <vector>

namespace input {

std::unique_ptr<Transport> MakeSerialTransport() { return std::make_unique<SerialTransport>(); }

SerialTransport::SerialTransport(QObject* parent) : QObject(parent), port_(new QSerialPort(this)) {
    port_->setObjectName("MSComm1");
    connect(port_, &QSerialPort::readyRead, this, &SerialTransport::onReadyRead);
    connect(port_, &QSerialPort::errorOccurred, this, &SerialTransport::onError);
}

QString SerialTransport::DefaultDevice(int comPort) {
    std::vector<std::string> names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) names.push_back(info.portName().toStdString());
    const std::string name = SerialDeviceName(comPort, names);
    return QString::fromStdString(name);
}

void SerialTransport::close() {
    if (port_->isOpen()) port_->close();
}

bool SerialTransport::open(int comPort, const SerialLine& line, std::string& error) {
    const QString device = resolver_ ? resolver_(comPort) : DefaultDevice(comPort);
    if (device.isEmpty()) {
        error = "Port COM" + std::to_string(comPort) + " not found.";
        return false;
    }
    return openDevice(device.toStdString(), line, error);
}

bool SerialTransport::openDevice(const std::string& path, const SerialLine& line, std::string& error) {
    port_->setPortName(QString::fromStdString(path));
    port_->setBaudRate(line.baudRate);
    port_->setDataBits(line.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
    switch (line.parity) {
        case 'o': port_->setParity(QSerialPort::OddParity); break;
        case 'e': port_->setParity(QSerialPort::EvenParity); break;
        case 'm': port_->setParity(QSerialPort::MarkParity); break;
        case 's': port_->setParity(QSerialPort::SpaceParity); break;
        default: port_->setParity(QSerialPort::NoParity); break;
    }
    port_->setStopBits(line.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    opening_ = true;
    const bool ok = port_->open(QIODevice::ReadOnly);
    opening_ = false;
    if (!ok) {
        error = port_->errorString().toStdString();
        port_->clearError();
        return false;
    }
    return true;
}

bool SerialTransport::open(const InputSetting& setting, std::string& error) {
    close();
    const SerialLine line{setting.Baud, setting.DataBits, setting.Parity, setting.StopBits};
    if (setting.Address.empty()) return open(setting.ComPort, line, error);
    return openDevice(setting.Address, line, error);
}

void SerialTransport::onReadyRead() {
    const QByteArray data = port_->readAll();
    if (!data.isEmpty()) deliver(std::string_view(data.constData(), static_cast<size_t>(data.size())));
}

void SerialTransport::onError(QSerialPort::SerialPortError error) {
    if (opening_ || error == QSerialPort::NoError) return;
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
        const QString description = port_->errorString();
        port_->clearError();
        if (port_->isOpen()) reportLost({description.toStdString()});
        return;
    }
    // Other errors (line errors, timeouts) do not stop the input.
    port_->clearError();
}

}  // namespace input
