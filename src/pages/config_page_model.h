// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "platform/control.h"

namespace tovrik {

struct DeviceProfile;

// A configuration page without its window: the page's controls (in template
// order, as the page's template makes them) hold its state, and every rule of
// the page runs on them. The page only mirrors these controls into its window
// and back; the settings table and the tests drive the model directly.
class ConfigPageModel {
public:
    virtual ~ConfigPageModel() = default;

    // The window's creation: fresh controls from the page's template, then the
    // page's own initialisation, which loads from the image. `profile` is the
    // connected device's, or nullptr while none is connected.
    virtual void Create(const DeviceProfile* profile) = 0;
    // The window's end: the controls are gone, what the page keeps stays.
    virtual void Destroy() = 0;
    virtual bool IsCreated() const = 0;

    // The controls in template order (empty while not created).
    virtual std::vector<Control>& Controls() = 0;
    // The control with this id; a detached placeholder for an unknown id.
    virtual Control& Item(int id) = 0;

    virtual void LoadFromImage(const DeviceProfile* profile) = 0;
    // Takes the controls into the image. False when the page refused what its
    // controls hold (and said so) and left the image as it was; nothing is
    // stored while the model is not created. A page that checks its parts in
    // turn stops at the refused one, and keeps what it stored before it (the
    // concrete model says which). True also while not created: nothing was
    // refused.
    virtual bool StoreToImage() = 0;

    // A notification of one of the page's controls, after the control changed
    // its own state as a user's input does (see platform/user_input.h).
    virtual void OnCommand(int id, Notify code) = 0;
};

}  // namespace tovrik
