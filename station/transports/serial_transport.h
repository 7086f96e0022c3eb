// SerialTransport: the serial port input. A QSerialPort on the GUI thread
// whose received bytes go straight to a handler (the receiver). Port numbers
// 1..16 are turned into devices by input::SerialDeviceName over the ports the
// system lists; tests may supply their own device (a pseudo-terminal).
//
// Line errors (parity, framing, break) are ignored: the bytes that arrived
// still come through. A device that goes away while open (unplugged) is
// reported once as lost.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <functional>
#include <string_view>

#include "station/connection.h"
#include "station/transport.h"

namespace input {

class SerialTransport : public QObject, public Transport {
    Q_OBJECT
public:
    using DeviceResolver = std::function<QString(int comPort)>;

    explicit SerialTransport(QObject* parent = nullptr);

    // Replaces the port-number-to-device rule (tests).
    void setDeviceResolver(DeviceResolver resolver) { resolver_ = std::move(resolver); }

    bool isOpen() const { return port_->isOpen(); }
    void close() override;
    // Port number comPort (1..16) with the line settings; false with the
    // platform's description when it cannot.
    bool open(int comPort, const SerialLine& line, std::string& error);
    bool openDevice(const std::string& path, const SerialLine& line, std::string& error);
    // Transport: the device at the setting's Address (or, without one, port
    // number ComPort), at its Baud, DataBits, Parity and StopBits.
    bool open(const InputSetting& setting, std::string& error) override;
    TransportStatus status() const override { return isOpen() ? TransportStatus::Open : TransportStatus::Closed; }

    QSerialPort* port() const { return port_; }
    // The device for a port number by the system's list of ports.
    static QString DefaultDevice(int comPort);

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    QSerialPort* port_;
    DeviceResolver resolver_;
    bool opening_ = false;
};

}  // namespace input
