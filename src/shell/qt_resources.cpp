#include "shell/qt_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

void InitProgramResources() {
    initResources();
}
