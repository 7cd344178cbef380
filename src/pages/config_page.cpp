// SPDX-License-Identifier: MIT
#include "pages/config_page.h"

#include "pages/page_context.h"

namespace tovrik {

CConfigPage::CConfigPage(PageContext& app, const DialogTemplate& dialogTemplate)
    : PropertyPage(app.Ui(), dialogTemplate), app_(app)
{
}

void CConfigPage::PullControls()
{
    auto& mine = Model().Controls();
    const auto& window = Controls();
    for (std::size_t i = 0; i < mine.size() && i < window.size(); ++i) {
        mine[i] = *window[i];
    }
}

void CConfigPage::PushControls()
{
    const auto& mine = Model().Controls();
    const auto& window = Controls();
    for (std::size_t i = 0; i < mine.size() && i < window.size(); ++i) {
        *window[i] = mine[i];
    }
}

void CConfigPage::Mirrored(const std::function<void()>& operation)
{
    const bool window = IsWindow();
    if (window) {
        PullControls();
    }
    operation();
    if (window) {
        PushControls();
    }
}

int CConfigPage::OnInitDialog()
{
    Model().Create(app_.CurrentDeviceProfile());
    PushControls();
    return 1;
}

void CConfigPage::OnDestroy()
{
    Model().Destroy();
}

void CConfigPage::LoadFromImage()
{
    Mirrored([this] { Model().LoadFromImage(app_.CurrentDeviceProfile()); });
}

void CConfigPage::StoreToImage()
{
    if (!IsWindow()) {
        return;
    }
    Mirrored([this] { Model().StoreToImage(); });
}

void CConfigPage::OnCommand(int id, Notify code)
{
    if (!IsWindow()) {
        return;
    }
    Mirrored([this, id, code] { Model().OnCommand(id, code); });
    app_.PageInputHandled();
}

}  // namespace tovrik
