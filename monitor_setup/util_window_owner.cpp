// Creation on demand of the setup window.
#include "monitor_setup/util_window_owner.h"

UtilWindowOwner::UtilWindowOwner(UtilWindowContext context)
    : context_(std::move(context))
{
}

UtilWindowOwner::~UtilWindowOwner()
{
    delete window_.data();
}

KVO_Util& UtilWindowOwner::window()
{
    if (!window_) {
        window_ = new KVO_Util(context_);
        // A closing window is gone for the program even before Qt deletes it.
        connect(window_, &KVO_Util::unloaded, window_, [this] { window_.clear(); });
    }
    return *window_;
}

void UtilWindowOwner::MnuUtil_Click()
{
    KVO_Util& util = window();
    util.show();
    util.raise();
    util.activateWindow();
}

void UtilWindowOwner::closeUnlessMaximized()
{
    KVO_Util& util = window();
    if (!util.isMaximized())
        util.close();
}
