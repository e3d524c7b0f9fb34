// Game: the visual-novel engine's main program.
#include "program/startup/startup.h"

int main(int argc, char** argv) { return adv::GameMain(argc, argv); }
