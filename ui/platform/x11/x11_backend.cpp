#include "ui/platform/window/backend.h"
namespace uiplatform::wm {
std::unique_ptr<Backend> CreateX11Backend() { return nullptr; }
}
