#include "subject_data/subject_node.h"

#include "frame/captions.h"

namespace subjectData {

bool Is_Folder(NodeKind kind) {
    switch (kind) {
    case NodeKind::InstalledFolder:
    case NodeKind::RandomSubjectFolder:
    case NodeKind::RandomPhrasesFolder:
    case NodeKind::VirtualFolder:
    case NodeKind::EditorRoot:
    case NodeKind::EditorFolder:
        return true;
    default:
        return false;
    }
}

bool Is_Subject(NodeKind kind) {
    switch (kind) {
    case NodeKind::InstalledSubject:
    case NodeKind::RandomPhrases:
    case NodeKind::VirtualSubject:
    case NodeKind::ReviewToday:
    case NodeKind::DifficultPhrases:
    case NodeKind::ListedSubject:
    case NodeKind::EditorSubject:
        return true;
    default:
        return false;
    }
}

bool Is_Phrase(NodeKind kind) {
    return kind == NodeKind::Phrase || kind == NodeKind::FolderPhrase;
}

bool Is_Studied_Virtually(NodeKind kind) {
    return kind == NodeKind::RandomPhrases || kind == NodeKind::VirtualSubject ||
           kind == NodeKind::ReviewToday || kind == NodeKind::DifficultPhrases;
}

int Review_List_Caption(NodeKind kind) {
    switch (kind) {
    case NodeKind::ReviewToday:
        return caption::ReviewToday;
    case NodeKind::DifficultPhrases:
        return caption::DifficultPhrases;
    default:
        return 0;
    }
}

std::shared_ptr<const SubjectNode> SubjectNode::Of(NodeKind kind, const QString &fileName,
                                                   int key) {
    auto node = std::make_shared<SubjectNode>();
    node->kind = kind;
    node->fileName = fileName;
    node->key = key;
    return node;
}

std::shared_ptr<const SubjectNode> SubjectNode::Of(Phrase phrase, NodeKind kind) {
    auto node = std::make_shared<SubjectNode>();
    node->kind = kind;
    node->phrase = std::move(phrase);
    return node;
}

QStringList SubjectNode::Fields() const {
    const auto phraseFields = [this] {
        return QStringList{phrase.sourceFile, QString::number(phrase.number), phrase.phrase,
                           phrase.translation, phrase.translation2};
    };
    switch (kind) {
    case NodeKind::InstalledFolder:
        return {QStringLiteral("FOLDER"), QStringLiteral("INSTALLED_SUBJECTS")};
    case NodeKind::RandomSubjectFolder:
        return {QStringLiteral("FOLDER"), QStringLiteral("RANDOM_SUBJECT")};
    case NodeKind::RandomPhrasesFolder:
        return {QStringLiteral("FOLDER"), QStringLiteral("RANDOM_PHRASES")};
    case NodeKind::VirtualFolder:
        return {QStringLiteral("FOLDER"), fileName};
    case NodeKind::InstalledSubject:
        return {QStringLiteral("SUBJECT"), fileName};
    case NodeKind::RandomPhrases:
        return {QStringLiteral("SUBJECT"), QStringLiteral("VIRTUALSUBJECT")};
    case NodeKind::VirtualSubject:
        return {QStringLiteral("SUBJECT"), QStringLiteral("VIRTUALSUBJECT"), QString::number(key)};
    case NodeKind::ReviewToday:
        return {QStringLiteral("SUBJECT"), QStringLiteral("VIRTUALSUBJECT"),
                QStringLiteral("REVIEW_TODAY")};
    case NodeKind::DifficultPhrases:
        return {QStringLiteral("SUBJECT"), QStringLiteral("VIRTUALSUBJECT"),
                QStringLiteral("DIFFICULT_PHRASES")};
    case NodeKind::Phrase:
        return phraseFields();
    case NodeKind::Placeholder:
        return {QStringLiteral("IGNORE")};
    case NodeKind::EditorRoot:
    case NodeKind::EditorFolder:
        return {QString()};
    case NodeKind::ListedSubject:
    case NodeKind::EditorSubject:
        return {QString::number(key)};
    case NodeKind::FolderPhrase:
        return phraseFields() << QString::number(phrase.folderKey);
    }
    return {QString()};
}

QString SubjectNode::Tag() const {
    return Fields().join(QLatin1Char('*'));
}

const SubjectNode *Node_At(const TreeView &tree, int index) {
    if (index < 1 || index > tree.Count())
        return nullptr;
    return dynamic_cast<const SubjectNode *>(tree.Data(index));
}

} // namespace subjectData
