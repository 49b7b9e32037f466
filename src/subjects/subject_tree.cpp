// Placeholder until the subject tree lands.
#include "subjects/subject_tree.h"

SubjectTree::SubjectTree(Program &program, TreeView &TreeFolders, FileListBox &File1, FileListBox &File2)
    : m_program(program), m_tree(TreeFolders), m_file1(File1), m_file2(File2)
{
}
void SubjectTree::Create_Folders() {}
void SubjectTree::Get_Subjects() {}
void SubjectTree::Get_vSubjects() {}
void SubjectTree::Refresh_Subjects() {}
void SubjectTree::NodeClick(int) {}
void SubjectTree::Expand(int) {}
void SubjectTree::Collapse(int) {}
QString SubjectTree::Proper_Title(const QString &) { return {}; }
QString SubjectTree::Tag_Item(int, int) { return {}; }
bool SubjectTree::Check_Virtual_Subject(int &) { return false; }
void SubjectTree::Get_Phrases(const QString &) {}
void SubjectTree::Get_vPhrases(const QString &, int, int) {}
void SubjectTree::Get_Random_Phrases() {}
