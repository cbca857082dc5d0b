#include "app/Standins.h"

namespace standins {

void showSplash(TFormMain*) {}
void setMenuOpacity(TFormMain*, int) {}
void loadVolumeBar(TFormMain*) {}
void enableTrayIcon(TFormMain*) {}
void attachScreenSnap(TFormMain*) {}

}  // namespace standins
