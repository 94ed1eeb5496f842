// Creation on demand of the options window.
#include "settings/options_window_owner.h"

OptionsWindowOwner::OptionsWindowOwner(OptionsContext context)
    : context_(std::move(context))
{
}

OptionsWindowOwner::~OptionsWindowOwner()
{
    delete window_.data();
}

OptionsFrm& OptionsWindowOwner::window()
{
    if (!window_) {
        window_ = new OptionsFrm(context_);
        // A closing window is gone for the program even before Qt deletes it.
        connect(window_, &OptionsFrm::unloaded, window_, [this] { window_.clear(); });
        connect(window_, &OptionsFrm::webPostingRefreshWanted, this, &OptionsWindowOwner::webPostingRefreshWanted);
        connect(window_, &OptionsFrm::mqttSettingsSaved, this, &OptionsWindowOwner::mqttSettingsSaved);
        connect(window_, &OptionsFrm::httpSettingsSaved, this, &OptionsWindowOwner::httpSettingsSaved);
        connect(window_, &OptionsFrm::influxSettingsSaved, this, &OptionsWindowOwner::influxSettingsSaved);
    }
    return *window_;
}

void OptionsWindowOwner::show()
{
    OptionsFrm& options = window();
    options.show();
    options.raise();
    options.activateWindow();
}

void OptionsWindowOwner::closeUnlessMaximized()
{
    OptionsFrm& options = window();
    if (!options.isMaximized())
        options.close();
}

void OptionsWindowOwner::setTriggerPushBox(bool ticked)
{
    window().setTriggerPushBox(ticked);
}

void OptionsWindowOwner::tickWriteToWebServer()
{
    window().tickWriteToWebServer();
}
