#include "convert_command.h"
#include "interrupts.h"
#include "platform/memory_reuse.h"
#include "standard_streams.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    cli::PrepareStandardStreams();
    platform::KeepMemoryForReuse();
    static cli::InterruptFlag interrupt = 0;
    cli::CatchInterrupts(interrupt);
    const std::vector<std::string> args = cli::CommandLineArguments(argc, argv);
    return cli::RunConvertCommand(args, std::cin, std::cout, std::cerr, {}, &interrupt);
}
