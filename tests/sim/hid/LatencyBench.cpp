// How long a button takes from the simulated remote to WM_INPUT at a window registered like
// Zapper's: from the start of a `remote click` process, and from an injection through the
// control channel in this process. Prints figures; asserts nothing.
//   hidsim_latency_bench [ROUNDS]
#include "HidSimControl.h"
#include "RawInputReceiver.h"
#include "RemoteButtons.h"
#include "TestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace testing_support;
using Clock = std::chrono::steady_clock;

namespace {

constexpr DWORD kTimeoutMs = 10000;

void print(const char* what, std::vector<double> samples) {
    if (samples.empty()) {
        std::printf("%-44s no samples\n", what);
        return;
    }
    std::sort(samples.begin(), samples.end());
    std::printf("%-44s n=%zu  min %.2f  median %.2f  max %.2f ms\n", what, samples.size(),
                samples.front(), samples[samples.size() / 2], samples.back());
}

double millisecondsSince(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    hidtest::RawInputReceiver receiver({{0xFFBC, 0x88}, {0x000C, 0x01}, {0xFF00, 0x01}});
    hidsim::Control control;
    khs_status status = {};
    if (!receiver.registered() || control.open() != ERROR_SUCCESS ||
        !waitUntil(
            [&] {
                return control.status(status) == ERROR_SUCCESS && hidsim::allDevicesReady(status);
            },
            kTimeoutMs)) {
        std::fprintf(stderr, "the simulated HID devices are not ready\n");
        return 1;
    }

    std::vector<double> process;
    std::vector<double> inject;
    const std::wstring remote = binPath(L"remote.exe");
    const hidsim::Report press = hidsim::pressReport({KHS_REMOTE_CONSUMER, 0xB0});
    const hidsim::Report release = hidsim::releaseReport(KHS_REMOTE_CONSUMER);
    for (int i = 0; i < rounds; ++i) {
        receiver.clear();
        const auto start = Clock::now();
        ChildProcess child = ChildProcess::start(remote, L"click Play");
        if (receiver.waitForInputs(1, kTimeoutMs)) {
            process.push_back(millisecondsSince(start, receiver.inputs()[0].received));
        }
        child.wait(kTimeoutMs);
        receiver.waitForInputs(2, kTimeoutMs);

        receiver.clear();
        const auto injected = Clock::now();
        if (control.inject(KHS_REMOTE_CONSUMER, press.data(), press.size()) == ERROR_SUCCESS &&
            receiver.waitForInputs(1, kTimeoutMs)) {
            inject.push_back(millisecondsSince(injected, receiver.inputs()[0].received));
        }
        (void)control.inject(KHS_REMOTE_CONSUMER, release.data(), release.size());
        receiver.waitForInputs(2, kTimeoutMs);
    }
    print("remote click started -> WM_INPUT (press)", process);
    print("control-channel injection -> WM_INPUT (press)", inject);
    return 0;
}
