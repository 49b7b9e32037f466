// The pictures and sounds compiled into the program. A static library's
// resources must be registered explicitly by the program that links it.
#pragma once

void InitProgramResources();
