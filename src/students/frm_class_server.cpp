#include "students/frm_class_server.h"

#include "class_data/class_link.h"
#include "frame/program.h"
#include "platform/pictures.h"
#include "platform/tiled_background.h"
#include "platform/twips.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

frmClassServer::frmClassServer(Program &program, QWidget *parent)
    : QDialog(parent), m_program(program),
      m_background(LoadPicture(QStringLiteral(":/tiles/background.png"))) {
    setObjectName(QStringLiteral("frmClassServer"));
    setWindowTitle(tr("Class server"));
    const classData::ServerSettings s = classData::Server_Settings(program);

    auto *form = new QFormLayout;
    const auto box = [&](const char *name, const QString &text, const QString &label) {
        auto *edit = new QLineEdit(text, this);
        edit->setObjectName(QLatin1String(name));
        edit->setAccessibleName(label);
        form->addRow(label, edit);
        return edit;
    };
    auto *intro = new QLabel(tr("The computers of a class share their students and results "
                                "through one PostgreSQL server. Leave the host empty to work "
                                "with this computer only."),
                             this);
    intro->setWordWrap(true);
    txtHost = box("txtHost", s.host, tr("&Host:"));
    spnPort = new QSpinBox(this);
    spnPort->setObjectName(QStringLiteral("spnPort"));
    spnPort->setRange(1, 65535);
    spnPort->setValue(s.port);
    spnPort->setAccessibleName(tr("&Port:"));
    form->addRow(tr("&Port:"), spnPort);
    txtDatabase = box("txtDatabase", s.database, tr("&Database:"));
    txtUser = box("txtUser", s.user, tr("&User:"));
    txtPassword = box("txtPassword", s.password, tr("Pass&word:"));
    txtPassword->setEchoMode(QLineEdit::Password);

    btnTest = new QPushButton(tr("&Test connection"), this);
    btnTest->setObjectName(QStringLiteral("btnTest"));
    btnTest->setAccessibleName(tr("Test connection"));
    btnTest->setAutoDefault(false);
    lblAnswer = new QLabel(this);
    lblAnswer->setObjectName(QStringLiteral("lblAnswer"));
    lblAnswer->setWordWrap(true);
    lblAnswer->setMinimumHeight(TwipsToPixels(720));
    lblAnswer->setAccessibleName(tr("Answer of the class server"));
    lblAnswer->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setAccessibleName(tr("OK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(tr("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAccessibleName(tr("Cancel"));
    btnCancel->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(btnTest, 0, Qt::AlignLeft);
    layout->addWidget(lblAnswer);
    layout->addLayout(buttons);
    setMinimumWidth(TwipsToPixels(6600));

    connect(btnTest, &QPushButton::clicked, this, [this] { btnTest_Click(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOK_Click(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmClassServer::~frmClassServer() = default;

classData::ServerSettings frmClassServer::Settings() const {
    classData::ServerSettings s;
    s.host = txtHost->text().trimmed();
    s.port = spnPort->value();
    s.database = txtDatabase->text().trimmed();
    s.user = txtUser->text().trimmed();
    s.password = txtPassword->text();
    return s;
}

void frmClassServer::btnTest_Click() {
    const classData::ServerSettings s = Settings();
    if (!s.Named()) {
        lblAnswer->setText(tr("Name the host and the database first."));
        emit Tested(false, lblAnswer->text());
        return;
    }
    if (!m_tester) {
        m_tester =
            std::make_unique<classData::ClassLink>(m_program.usersPath(), QString(), QString(), s);
        connect(m_tester.get(), &classData::ClassLink::Tested, this,
                [this](bool ok, const QString &message) {
                    btnTest->setEnabled(true);
                    lblAnswer->setText(message);
                    emit Tested(ok, message);
                });
    }
    btnTest->setEnabled(false);
    lblAnswer->setText(tr("Trying the class server..."));
    m_tester->Request_Test(s);
}

void frmClassServer::btnOK_Click() {
    classData::Save_Server_Settings(m_program, Settings());
    m_saved = true;
    accept();
}

void frmClassServer::paintEvent(QPaintEvent *) {
    tiling::PaintWindowBackground(*this, m_background);
}
