// The token-file commands of group 0x12: open_file reads a script token file whole, read_file,
// set_file_pointer and file_string read it, close_file releases it. Their slots are listed with
// the other file commands.
#pragma once

namespace adv {

struct AdvContext;

int CmdOpenFile(AdvContext& context);
int CmdReadFile(AdvContext& context);
int CmdCloseFile(AdvContext& context);
int CmdSetFilePointer(AdvContext& context);
int CmdFileString(AdvContext& context);

}  // namespace adv
