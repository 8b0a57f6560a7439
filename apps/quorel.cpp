#include "shell/command_line.hpp"

int main(int argc, char** argv) { return quorel::RunCommandLine(argc, argv); }
