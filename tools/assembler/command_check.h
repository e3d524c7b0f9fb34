// Checks the commands a source calls by name against the command catalog
// (program/data/command_catalog.h): the number of arguments, and the kind of every argument whose
// written form shows one. Commands written by their code are not checked, so tests can call codes
// with any arguments.
#pragma once

#include "tools/assembler/diagnostics.h"
#include "tools/assembler/program.h"

namespace advasm {

void CheckCommandArguments(const Program& program, Diagnostics& diagnostics);

}  // namespace advasm
