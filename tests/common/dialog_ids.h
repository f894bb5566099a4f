// The child windows of the system dialogs that tests work from outside (the
// control ids of the common dialogs and the message box).
#pragma once

namespace dialog_ids {

inline constexpr int kMessageText = 0xFFFF;  // MessageBoxA's text: a static without an id of its own
inline constexpr int kFileTypes = 0x470;     // cmb1: the open-file dialog's file types
inline constexpr int kFileNameBox = 0x47C;   // cmb13: its name field (a ComboBoxEx holding an edit)
inline constexpr int kFileNameEdit = 0x480;  // edt1: the name field of the old dialog layout
inline constexpr int kFolderTree = 0x3741;   // the folder requester's tree view

}  // namespace dialog_ids
