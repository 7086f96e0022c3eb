// FrmWebView: Options > Web view. Whether the program serves its web view
// and API, on which address and port, and the access token any address but
// loopback needs (shown to copy into a browser, renewable). Returned as a
// value; the caller applies and stores it.
//
//   FrmWebView d(current, this);
//   connect(&d, &QDialog::accepted, [&] { apply(d.choice()); });
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QString>

namespace input {

struct WebViewChoice {
    bool enabled = false;
    QString address = "127.0.0.1";
    int port = 8080;
    QString token;
    bool operator==(const WebViewChoice&) const = default;
};

class FrmWebView : public QDialog {
    Q_OBJECT
public:
    explicit FrmWebView(const WebViewChoice& current, QWidget* parent = nullptr);
    WebViewChoice choice() const;

private:
    void refresh();

    QCheckBox* enabled_;
    QLineEdit* address_;
    QSpinBox* port_;
    QLineEdit* token_;
    QLabel* link_;
    QLabel* problem_;
    QPushButton* ok_;
};

// Address text the web view can listen on ("127.0.0.1", "0.0.0.0", "::1", a
// local interface's address); false for anything else.
bool ValidListenAddress(const QString& text);

}  // namespace input
