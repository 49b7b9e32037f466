// The check before a virtual subject (or the random phrases) is studied. The
// subject tree answers it, telling the learner about missing sources; the
// activity launch asks through this interface, without knowing the tree.
#pragma once

namespace subjectData {

class VirtualSubjectCheck {
public:
    virtual ~VirtualSubjectCheck() = default;
    // True when the selected subject has phrases whose source subjects are
    // present and valid; index receives the last phrase node examined.
    virtual bool Check_Virtual_Subject(int &index) = 0;
};

} // namespace subjectData
