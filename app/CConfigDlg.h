#pragma once

#include <string>

#include <QDialog>

class IMessageSink;
class QLineEdit;

// Edit > Configuration (template 139): shows and stores the three connection
// settings. The settings are read when the dialog is constructed and written
// by OK; the running connection is not touched, they take effect at the next
// start. Fields are Windows-1252 like every stored setting.
class CConfigDlg : public QDialog {
public:
    explicit CConfigDlg(IMessageSink& sink, QWidget* parent = nullptr);

    void accept() override;

    std::string m_strHost;
    std::string m_strPassword;
    std::string m_strUser;

private:
    IMessageSink& m_sink;
    QLineEdit* m_host;
    QLineEdit* m_user;
    QLineEdit* m_password;
};
