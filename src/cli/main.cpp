#include "convert_command.h"
#include "standard_streams.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    cli::PrepareStandardStreams();
    const std::vector<std::string> args = cli::CommandLineArguments(argc, argv);
    return cli::RunConvertCommand(args, std::cin, std::cout, std::cerr);
}
