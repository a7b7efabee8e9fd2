// Program entry of the viewer.
#include "app/application.h"

int main(int argc, char** argv) {
    return vx::runApplication(argc, argv);
}
