#pragma once
// Benchmarks of Qt controls need an application object on the offscreen platform.

#include "ui/ResourceManager.h"

#include <QApplication>

namespace velnor7::bench {

inline void EnsureQtApplication() {
    static int argc = 1;
    static char name[] = "velnor7_bench";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
        ui::CResourceManager::Instance().SetSkinPath(VELNOR7_SOURCE_DIR "/skin");
    }
}

}  // namespace velnor7::bench
