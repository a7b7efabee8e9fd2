#include "app/application.h"

#include <QApplication>

namespace vx {

int runApplication(int argc, char** argv) {
    QApplication app(argc, argv);
    return 0;
}

} // namespace vx
