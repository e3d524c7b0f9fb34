// Game: loads the platform library and runs the game on it.
#include "program/engine/yel_import.h"

namespace {

int FirstFunction() { return 1; }

}  // namespace

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  if (!yel::LoadLibrary()) return 1;
  YelInitParam param;
  yel::YelDefaultCreate(&param);
  param.title = "Game";
  param.class_name = "Game";
  param.first_func = FirstFunction;
  if (!yel::YelInit(&param)) return 1;
  const int exit_code = yel::YelRun();
  yel::YelUninit();
  return exit_code;
}
