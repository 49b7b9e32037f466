#include "subject_data/phrase.h"

#include "frame/mod_main.h"
#include "subject_data/subject_file.h"

namespace subjectData {

namespace {
// A number read through its text (a folder file may hold it as text or as
// a real); 0 when it is none.
int numberOf(const ado::Field &field, bool *ok = nullptr) {
    bool isNumber = false;
    const double value = field.Text().toDouble(&isNumber);
    isNumber = isNumber && value >= 0 && value <= 2147483647.0;
    if (ok)
        *ok = isNumber;
    return isNumber ? static_cast<int>(value) : 0;
}
} // namespace

InstalledPhraseReader::InstalledPhraseReader(ado::Recordset &rs)
    : m_number(rs.Fields(QStringLiteral("pkPhraseNo"))),
      m_phrase(rs.Fields(QStringLiteral("tPhrase"))),
      m_translation(rs.Fields(QStringLiteral("tTranslation"))),
      m_translation2(rs.Fields(QStringLiteral("tTranslation2"))) {}

Phrase InstalledPhraseReader::Read(const QString &fileName) const {
    return Phrase{fileName,
                  numberOf(m_number),
                  m_phrase.Text(),
                  m_translation.Text(),
                  m_translation2.Text(),
                  PhraseOrigin::Installed,
                  0};
}

QVector<Phrase> Read_Installed_Phrases(const Program &program, const QString &fileName) {
    ado::Connection connection;
    connection.Open(modMain::Get_Connection_String(subjectFile::Installed_Path(program, fileName)));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases"), connection);
    const InstalledPhraseReader reader(rs);
    QVector<Phrase> phrases;
    phrases.reserve(rs.RecordCount());
    for (; !rs.EOF_(); rs.MoveNext())
        phrases << reader.Read(fileName);
    return phrases;
}

FolderPhraseReader::FolderPhraseReader(ado::Recordset &rs)
    : m_file(rs.Fields(QStringLiteral("tfilename"))),
      m_number(rs.Fields(QStringLiteral("nPhraseNo"))),
      m_key(rs.Fields(QStringLiteral("pkPhraseNo"))),
      m_phrase(rs.Fields(QStringLiteral("tPhrase"))),
      m_translation(rs.Fields(QStringLiteral("tTranslation"))),
      m_translation2(rs.Fields(QStringLiteral("tTranslation2"))) {}

Phrase FolderPhraseReader::Read() const {
    return Phrase{m_file.Text(),        numberOf(m_number),    m_phrase.Text(),
                  m_translation.Text(), m_translation2.Text(), PhraseOrigin::Virtual,
                  m_key.Value().toInt()};
}

bool FolderPhraseReader::NamesInstalledPhrase() const {
    const QString source = m_file.Text();
    bool isNumber = false;
    numberOf(m_number, &isNumber);
    return isNumber && subjectFile::Is_Plain_File_Name(source) &&
           !source.contains(QLatin1Char('*'));
}

} // namespace subjectData
