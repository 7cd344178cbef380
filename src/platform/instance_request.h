// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tovrik {

// The channel through which a second start of the tool hands a request (a
// word such as "raise" or "station") to the instance that runs. The running
// instance, which holds the single-instance lock, listens; the second start
// sends and ends. On POSIX systems it is a Unix socket beside the instance
// lock in the runtime directory, on Windows a hidden message window of the
// session that takes WM_COPYDATA.
class InstanceRequestListener {
public:
    // The longest request taken; longer ones are dropped.
    static constexpr std::size_t kMaxRequest = 64;

    // Listens under `name` in `directory` (the instance lock's runtime
    // directory when empty; on Windows it only scopes the name). Whatever a
    // crashed instance left under the name is replaced: only the lock's holder
    // listens. nullptr, with the reason in `error`, when it cannot.
    static std::unique_ptr<InstanceRequestListener> Listen(const std::string& name,
                                                           std::string& error,
                                                           const std::string& directory = {});
    ~InstanceRequestListener();
    InstanceRequestListener(const InstanceRequestListener&) = delete;
    InstanceRequestListener& operator=(const InstanceRequestListener&) = delete;

    // POSIX: a descriptor that becomes readable when a request may be waiting,
    // for the front end's event loop to watch. -1 on Windows, where the
    // requests arrive through the listening thread's message loop, and each
    // makes GetMessage return so the loop can take it.
    int WaitDescriptor() const;

    // The requests that arrived since the last call, oldest first, each one
    // line of printable text; never waits for a sender that connects later.
    std::vector<std::string> Take();

    struct State;
    explicit InstanceRequestListener(std::unique_ptr<State> state);

private:
    std::unique_ptr<State> state_;
};

// Hands `request` to the instance listening under `name`; false when none
// listens or it did not take the request.
bool SendInstanceRequest(const std::string& name, const std::string& request,
                         const std::string& directory = {});

}  // namespace tovrik
