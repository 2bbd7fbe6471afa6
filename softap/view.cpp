// The registered view of the soft AP logic.
#include "softap/view.h"

#include <atomic>

namespace {

class CNoView : public ISoftApView {
public:
    void ShowPage(int) override {}
    void ShowMainWindow() override {}
    void HideMainWindow() override {}
    void ShowCreating() override {}
    void HideCreating() override {}
    bool CreatingWindowExists() const override { return false; }
    bool CreatingFlag() const override { return false; }
    void RestoreTrayIfRemoved() override {}
    void ShowExitLook() override {}
};

CNoView gNoView;
std::atomic<ISoftApView*> gView{&gNoView};

}  // namespace

void SetSoftApView(ISoftApView* view) { gView = view ? view : &gNoView; }

ISoftApView* SoftApView() { return gView; }
