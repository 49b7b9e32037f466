#include "frame/template_texts.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "platform/host.h"

#include <stdexcept>

namespace templateTexts {

namespace {
const QString kLineBreak = QStringLiteral("\r\n");

// A Null text where the loader cannot accept one stops loading at that row.
QString requireText(const Program &program, ado::Field field) {
    if (field.IsNull())
        throw ado::Error(program.captions[caption::EmptyField].arg(field.Name()));
    return field.Value().toString();
}

void openTemplate(Program &program, ado::Connection &connection) {
    connection.Open(modMain::Get_Template_Connection_String(program.templatePath()));
}

template <typename Body> void guarded(Program &program, const char *procedure, Body body) {
    try {
        body();
    } catch (const std::exception &e) {
        modMain::Show_Error(program, QLatin1String(procedure), e);
    }
}
} // namespace

QString Row_Set_Column(const Program &program) {
    return QStringLiteral("bL") + QString::number(program.settings().rowSet);
}

QString Template_Problem(Program &program) {
    try {
        ado::Connection connection;
        openTemplate(program, connection);
        ado::Recordset rs;
        rs.Open(QStringLiteral("Select * from tblCaptions"), connection);
        rs.Close();
        connection.Close();
        return QString();
    } catch (const ado::Error &e) {
        return e.description();
    }
}

void Get_Captions(Program &program) {
    guarded(program, "Get_Captions", [&] {
        ado::Connection connection;
        openTemplate(program, connection);
        ado::Recordset rs;
        rs.Open(QStringLiteral("Select ") + program.identity.learnerLanguage +
                    QStringLiteral(" from tblCaptions"),
                connection);
        rs.MoveLast();
        program.captions.Resize(rs.RecordCount());
        rs.MoveFirst();
        int number = 0;
        while (!rs.EOF_()) {
            ++number;
            program.captions.Set(number, rs.Fields(0).Text());
            rs.MoveNext();
        }
        rs.Close();
        connection.Close();
    });
}

void Get_System_Messages(Program &program) {
    TickerTexts &ticker = program.ticker;
    guarded(program, "Get_System_Messages", [&] {
        ado::Connection connection;
        openTemplate(program, connection);
        ado::Recordset rs;
        rs.Open(QStringLiteral("Select ") + program.identity.learnerLanguage +
                    QStringLiteral(", link from tblSystemMessages Where ") +
                    Row_Set_Column(program) + QStringLiteral(" = True"),
                connection);
        rs.MoveLast();
        const int n = rs.RecordCount();
        ticker.messages.clear();
        ticker.links.clear();
        ticker.messageCount = 0;
        rs.MoveFirst();
        ShellWindows &windows = program.windows();
        modMain::EventPump events(program.host());
        for (int i = 1; i <= n; ++i) {
            windows.SplashPrepend(modMain::Safe_Caption(program, 23) + QStringLiteral(" MSG #00") +
                                  QString::number(i) + kLineBreak);
            events.Pump();
            const QString message = rs.Fields(0).Text();
            const QString link = rs.Fields(1).Text();
            ticker.messages << message;
            ticker.links << link;
            ticker.messageCount = i;
            rs.MoveNext();
            windows.SplashPrepend(modMain::Safe_Caption(program, 8) + kLineBreak);
            events.Pump();
        }
        rs.Close();
        connection.Close();
    });
}

void Get_Tips(Program &program) {
    TickerTexts &ticker = program.ticker;
    guarded(program, "Get_Tips", [&] {
        ado::Connection connection;
        openTemplate(program, connection);
        ado::Recordset rs;
        rs.Open(QStringLiteral("Select ") + program.identity.languageCode +
                    QStringLiteral(" from tblTips"),
                connection);
        rs.MoveLast();
        const int n = rs.RecordCount();
        ticker.tips.clear();
        ticker.tipBound = 0;
        rs.MoveFirst();
        for (int i = 1; i <= n; ++i) {
            ticker.tips << requireText(program, rs.Fields(0));
            // One past the last tip loaded, so that a Null that stops the
            // loading early never lets the ticker read past the list.
            ticker.tipBound = i + 1;
            rs.MoveNext();
        }
        rs.Close();
        connection.Close();
    });
}

int Get_Menu_Links(Program &program, const PlaceMenuLink &place) {
    int k = 0;
    guarded(program, "Get_Menu_Links", [&] {
        ado::Connection connection;
        openTemplate(program, connection);
        ado::Recordset rs;
        rs.Open(QStringLiteral("Select ") + program.identity.learnerLanguage +
                    QStringLiteral(", link from tblMenu Where ") + Row_Set_Column(program) +
                    QStringLiteral(" = True"),
                connection);
        modMain::EventPump events(program.host());
        while (!rs.EOF_()) {
            place(k, requireText(program, rs.Fields(0)), requireText(program, rs.Fields(1)));
            rs.MoveNext();
            ++k;
            program.windows().SplashPrepend(modMain::Safe_Caption(program, 8) + kLineBreak);
            events.Pump();
        }
        rs.Close();
        connection.Close();
    });
    return k - 1;
}

} // namespace templateTexts
