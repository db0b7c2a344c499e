// --screenshot: the first dialog the program opens is saved as PNG once it has
// been drawn, then closed.
#pragma once

#include <QString>

namespace kel::qt {
class QtDriver;
}

namespace kel::shell {

// Arms the driver: the next dialog shown is saved to `file` after its first paint
// (events already posted handled too), or after `fallbackMs` when no paint comes,
// then ended with IDCANCEL. `saved` is set when the file was written.
void ArmScreenshot(kel::qt::QtDriver& driver, const QString& file, bool& saved, int fallbackMs = 5000);

}  // namespace kel::shell
