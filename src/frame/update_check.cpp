#include "frame/update_check.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/registry.h"

#include <QLocale>

namespace updateCheck {

namespace {
const QString kDateChecked = QStringLiteral("DateChecked");
// Stored with a four-digit year and seconds: the regional short formats lose
// the century and would make the week's arithmetic wrong after a reload.
const QString kFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
} // namespace

QDateTime Read_Date_Checked(Program &program) {
    const QString text = modRegistry::Get_String_Value(program.settings().registryRoot,
                                                       program.registryKey(), kDateChecked)
                             .trimmed();
    if (text.isEmpty())
        return QDateTime();
    QDateTime when = QDateTime::fromString(text, kFormat);
    if (!when.isValid())
        when = QLocale().toDateTime(text, QLocale::LongFormat);
    if (!when.isValid())
        when = QLocale().toDateTime(text, QLocale::ShortFormat);
    return when;
}

void Save_Date_Checked(Program &program, const QDateTime &when) {
    modRegistry::Save_String_Value(program.settings().registryRoot, program.registryKey(),
                                   kDateChecked, when.toString(kFormat));
}

bool Run_Scheduled_Check(Program &program, const std::function<bool()> &checkForUpdate) {
    Host &host = program.host();
    const QDateTime now = host.Now();
    QDateTime checked = Read_Date_Checked(program);
    if (!checked.isValid()) {
        checked = now;
        Save_Date_Checked(program, now);
    }
    if (now >= checked.addDays(7) && modMain::Is_Connected(host)) {
        Save_Date_Checked(program, now);
        return checkForUpdate();
    }
    return false;
}

bool Check_For_Update(Program &program) {
    (void)program;
    return false;
}

} // namespace updateCheck
