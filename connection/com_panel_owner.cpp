// Creation on demand of the COM panel.
#include "connection/com_panel_owner.h"

ComPanelOwner::ComPanelOwner(const ComPanelContext& context)
    : context_(context)
{
}

ComPanelOwner::~ComPanelOwner()
{
    delete window_.data();
}

COMpanel& ComPanelOwner::made()
{
    if (!window_) {
        window_ = new COMpanel(context_);
        // A closing window is gone for the program even before Qt deletes it.
        connect(window_, &COMpanel::unloaded, window_, [this] { window_.clear(); });
        connect(window_, &COMpanel::programEndWanted, this, &ComPanelOwner::programEndWanted);
    }
    return *window_;
}

void ComPanelOwner::show()
{
    COMpanel& panel = made();
    panel.show();
    panel.raise();
    panel.activateWindow();
}

void ComPanelOwner::showAndListPorts()
{
    show();
    window_->Command3_Click();
}

void ComPanelOwner::closeUnlessMaximized()
{
    if (window_ && !window_->isMaximized())
        window_->closeQuietly();
}
