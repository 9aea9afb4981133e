#pragma once

class QFileDialog;

namespace shell {

// Qt's own file dialog writes the size, type and date columns by the system's locale and with
// texts its Japanese translation lacks ("Folder", "9 Dec"): this gives it the program's Japanese
// forms, and columns wide enough for them. Native dialogs speak the desktop's language already
// and are left alone.
void UseJapaneseFileColumns(QFileDialog& dialog);

} // namespace shell
