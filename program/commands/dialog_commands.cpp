// The dialog commands of group 0x12: the text editor (`edit`), the name and line editor
// (`stand_edit` with its list and results), message boxes, and the open and save file dialogs.
// The dialogs are the engine's own (program/dialogs/), drawn over the game while the script
// waits for their answer.
#include <memory>
#include <string>

#include "program/commands/extra_commands.h"
#include "program/commands/text_arguments.h"
#include "program/dialogs/file_dialog.h"
#include "program/dialogs/modal_dialog.h"
#include "program/dialogs/stand_edit_dialog.h"
#include "program/dialogs/text_edit_dialog.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"

namespace adv {
namespace {

constexpr size_t kEditTextBuffer = 4096;
constexpr size_t kBoxTextBuffer = 520;

// What `edit` keeps from one call to the next; the script's thread only.
struct TextEditState {
  std::string text;     // TextEditText: line breaks as CR LF
  std::string caption;  // TextEditCaption
  int32_t limit = 0;    // TextEditLimit
};
TextEditState& TextEdit() {
  static TextEditState state;
  return state;
}

// "\n" written in a script text becomes a line break; any other backslash stays with its byte.
std::string WithLineBreaks(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      if (text[i + 1] == 'n') {
        out += "\r\n";
      } else {
        out += text.substr(i, 2);
      }
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

int CmdEdit(AdvContext& context) {
  const auto [destination, caption, text, limit] = PopArgs<4>(context);
  TextEditState& state = TextEdit();
  state.limit = limit;
  if (StringVariableFor(context, static_cast<uint32_t>(destination), "edit").empty()) {
    SetCommandResult(context, 0);
    return 1;
  }
  state.text =
      WithLineBreaks(AdvGetStringText(context, static_cast<uint32_t>(text), kEditTextBuffer));
  state.caption = AdvGetStringText(context, static_cast<uint32_t>(caption), kEditTextBuffer);
  auto dialog = std::make_unique<TextEditDialog>(state.caption, state.text, state.limit);
  const TextEditDialog* editor = dialog.get();
  RunModalDialog(
      context, std::move(dialog), [editor, destination](AdvContext& context, int32_t answer) {
        TextEditState& state = TextEdit();
        if (answer == ModalDialog::kCancelled) {
          AdvDebugPrint(kLogTrace, "cansel edit");
          SetCommandResult(context, 0);
          return;
        }
        state.text = editor->accepted();
        StoreStringVariable(StringVariableFor(context, static_cast<uint32_t>(destination), "edit"),
                            state.text);
        AdvDebugPrint(kLogTrace, "edit %s", state.text.c_str());
        state.text.clear();
        SetCommandResult(context, 1);
      });
  return 1;
}

// ---- Message boxes --------------------------------------------------------------------------

int CmdMessageBox(AdvContext& context) {
  const auto [text, caption, type] = PopArgs<3>(context);
  const std::string body = AdvGetStringText(context, static_cast<uint32_t>(text), kBoxTextBuffer);
  const std::string title =
      AdvGetStringText(context, static_cast<uint32_t>(caption), kBoxTextBuffer);
  const uint32_t bits = static_cast<uint32_t>(type);
  SetCommandResult(context, os::BoxAnswerId(ShowBoxOnUiThread(
                                body, title, os::BoxButtonsOfType(bits), os::BoxIconOfType(bits))));
  return 1;
}

// ---- File dialogs ---------------------------------------------------------------------------

int RunFileDialog(AdvContext& context, bool save) {
  const auto [extension, title, name, flags, folder] = PopArgs<5>(context);
  FileDialogRequest request;
  request.save = save;
  request.folder = SpecialFolderPath(folder);
  request.extension = AdvGetStringText(context, static_cast<uint32_t>(extension), 16);
  request.title = AdvGetStringText(context, static_cast<uint32_t>(title), 260);
  request.initial_name = AdvGetStringText(context, static_cast<uint32_t>(name), 520);
  request.flags = static_cast<uint32_t>(flags) | kFileDialogNoChangeDir;
  FileDialogPath().clear();
  auto dialog = std::make_unique<FileDialog>(std::move(request));
  const FileDialog* chooser = dialog.get();
  RunModalDialog(context, std::move(dialog), [chooser](AdvContext& context, int32_t answer) {
    const int32_t chosen = answer == 1 ? 1 : 0;
    if (chosen) FileDialogPath() = chooser->chosen();
    SetCommandResult(context, chosen);
  });
  return 1;
}

int CmdOpenFileDialog(AdvContext& context) {
  return RunFileDialog(context, false);
}
int CmdSaveFileDialog(AdvContext& context) {
  return RunFileDialog(context, true);
}

// ---- The name and line editor ---------------------------------------------------------------

int CmdStandEdit(AdvContext& context) {
  const auto [name_limit, line_width, line_count] = PopArgs<3>(context);
  StandEditState& state = StandEdit();
  state.name_limit = name_limit;
  state.line_width = line_width;
  state.line_count = line_count;
  RunModalDialog(context, std::make_unique<StandEditDialog>(),
                 [](AdvContext& context, int32_t answer) {
                   const bool accepted = answer == 0;
                   AdvDebugPrint(kLogError, accepted ? "STAND EDIT OK" : "STAND EDIT CANCEL");
                   SetCommandResult(context, accepted ? 1 : 0);
                 });
  return 1;
}

// Copies a stored text into the string variable the argument names; 0 (after the line) for an
// argument that names none.
int CopyStoredText(AdvContext& context, const std::string& text) {
  const int32_t argument = PopArg(context);
  const uint32_t reference = static_cast<uint32_t>(argument);
  if ((reference & kStringVariableBit) == 0) {
    AdvDebugPrint(kLogError, "文字変数ではありません %d", argument);
    return 0;
  }
  if ((reference & ~kStringVariableBit) > 15) {
    AdvDebugPrint(kLogError, "文字変数の番号が異常です %d", argument);
    return 0;
  }
  AdvSetVarString(context, reference, text);
  return 1;
}

int CmdStandEditGetName(AdvContext& context) {
  return CopyStoredText(context, StandEdit().name);
}

int CmdStandEditGetLine(AdvContext& context) {
  return CopyStoredText(context, StandEdit().line);
}

int CmdStandEditListClear(AdvContext&) {
  StandEdit().names.clear();
  return 1;
}

int CmdStandEditListAdd(AdvContext& context) {
  StandEdit().names.push_back(
      AdvGetStringText(context, static_cast<uint32_t>(PopArg(context)), 64));
  return 1;
}

int CmdStandEditNarrow(AdvContext& context) {
  const int32_t flag = PopArg(context);
  StandEditState& state = StandEdit();
  SetCommandResult(context, state.half_width_cells == 1 ? 1 : 0);
  state.half_width_cells = flag != 0 ? 1 : 2;
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x2C, CmdEdit},
    {0x85, CmdMessageBox},
    {0x88, CmdOpenFileDialog},
    {0x89, CmdSaveFileDialog},
    {0x8B, CmdStandEdit},
    {0x8C, CmdStandEditGetName},
    {0x8D, CmdStandEditGetLine},
    {0x8E, CmdStandEditListClear},
    {0x8F, CmdStandEditListAdd},
    {0x90, CmdStandEditNarrow},
};

}  // namespace

const CommandSlotList kDialogCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
