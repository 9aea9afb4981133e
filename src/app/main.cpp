#include "shell/start_up.h"

int main(int argc, char** argv) {
    return shell::RunPagelume(argc, argv);
}
