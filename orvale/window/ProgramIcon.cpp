#include "orvale/window/ProgramIcon.h"

// Resources in a static library are registered by hand before first use;
// the registration function lives in the global namespace.
static void RegisterIconResource() { Q_INIT_RESOURCE(orvale_icon); }

namespace orvale {

QIcon ProgramIcon() {
  RegisterIconResource();
  return QIcon(QStringLiteral(":/orvale/Orvale.png"));
}

}  // namespace orvale
