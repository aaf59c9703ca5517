// `nvrdisk format N`: shows the disk and the programs that have it open, asks, and formats it
// through TQHD_FormatHDDByRName with a progress bar per volume; Ctrl-C stops it.
#include <unistd.h>

#include <cstring>
#include <iostream>
#include <memory>

#include "command_error.h"
#include "format.h"
#include "inventory.h"
#include "maintenance_commands.h"
#include "maintenance_status.h"
#include "platform/drive_users.h"
#include "progress_bar.h"
#include "rname.h"
#include "library_handle.h"

namespace nvrdisk {
namespace {

constexpr int32_t kVolumeStart = 0x1000000;
constexpr int32_t kVolumeStep = 0x2000000;
constexpr int kBusyTextSize = 1024;

struct FormatOptions {
    int drive = 0;
    bool yes = false;
    bool force = false;
};

// The service holds every listed drive open for its clients; it is not a program "using" the disk.
bool isDiskService(const platform::DriveUser& user) { return user.program == "halvex"; }

void describeDisk(int number, TQHDC_HANDLE disk) {
    const std::string prefix = drivePrefix(number);
    const char* device = TQHDC_GetDeviceInfoByRName(prefix.c_str(), 1);
    const std::string name = device != nullptr ? device : "";
    std::cout << "Drive " << number << ": NVR disk \"" << name << "\", "
              << humanSize(uint64_t(std::max<int64_t>(TQHDC_GetFileLength(disk), 0))) << "\n";
    const auto volumes = readVolumes(disk);
    for (size_t index = 0; index < volumes.size(); ++index) {
        std::cout << "  volume " << index << ": " << volumeKind(volumes[index]) << "\n";
    }
    std::cout << "Programs using it:";
    bool any = false;
    for (const platform::DriveUser& user : platform::driveUsers(number)) {
        if (user.processId == ::getpid() || isDiskService(user)) continue;
        std::cout << (any ? ", " : " ") << user.program << " (" << user.processId << ")";
        any = true;
    }
    std::cout << (any ? "\n" : " none\n");
}

void confirm(const FormatOptions& options) {
    if (options.yes) return;
    if (isatty(STDIN_FILENO) != 1) throw CommandError("not confirmed: pass --yes to format without asking");
    std::cerr << "Format drive " << options.drive << "? Everything on its volumes is lost. Type yes to go on: "
              << std::flush;
    std::string reply;
    if (!std::getline(std::cin, reply) || reply != "yes") throw CommandError("cancelled");
}

// One bar per volume: ext2 volumes report 10 to 100 percent by groups, the raw area 50 and 100.
int32_t watchFormat(WorkerWatch& watch, TQHDC_HANDLE job) {
    catchInterrupt();
    const bool live = isatty(STDERR_FILENO) == 1;
    std::unique_ptr<ProgressBar> bar;
    bool stopping = false;
    while (!watch.done()) {
        watch.waitForEvent(250);
        for (int32_t value : watch.takeProgress()) {
            if (value >= kVolumeStart && value < kVolumeStep) {
                if (bar) bar->finish(100);
                std::cerr << "volume " << (value - kVolumeStart) << (live ? "\n" : ": formatting\n");
                bar = std::make_unique<ProgressBar>(100, live);
            } else if (value >= kVolumeStep && bar) {
                bar->update(uint64_t(value - kVolumeStep));
            }
        }
        if (interrupted() && !stopping) {
            stopping = true;
            TQHDC_Stop(job);
            std::cerr << "\nStopping at the next group...\n";
        }
    }
    if (bar) bar->finish(watch.result() == TQHD_OK ? 100 : 0);
    return watch.result();
}

void formatDrive(const FormatOptions& options) {
    const std::string prefix = drivePrefix(options.drive);
    const LibraryHandle disk(TQHDC_OpenHardDiskByRName(prefix.c_str()));
    if (!disk) throw CommandError("drive " + std::to_string(options.drive) + " is not a listed NVR disk");
    describeDisk(options.drive, disk.get());
    confirm(options);
    WorkerWatch watch(disk.get(), TQHD_EVENT_FORMAT_DONE);
    int32_t started = 1;
    char busy[kBusyTextSize] = "";
    const LibraryHandle job(TQHDC_FormatHDDByRName(prefix.c_str(), &started, options.force ? 1 : 0, busy, sizeof busy));
    if (started == TQHD_E_INUSE && busy[0] != '\0') {
        throw CommandError(std::string("programs use the disk: ") + busy + " (--force formats anyway)", started);
    }
    if (started != TQHD_OK) throw CommandError("the format did not start", started);
    const int32_t result = watchFormat(watch, job ? job.get() : disk.get());
    if (result != TQHD_OK) throw CommandError("the format failed", result);
    std::cout << "Formatted drive " << options.drive << ".\n";
}

}  // namespace

void addFormatCommand(CLI::App& app, std::function<void()>& chosen) {
    static FormatOptions options;
    CLI::App* command = app.add_subcommand("format", "Format an NVR disk in place: empty volumes, fresh raw data area");
    command->add_option("N", options.drive, "Drive number of a listed NVR disk")->required();
    command->add_flag("--yes", options.yes, "Do not ask before formatting");
    command->add_flag("--force", options.force, "Format even when programs registered on the disk use it");
    command->callback([&chosen] { chosen = [] { formatDrive(options); }; });
}

}  // namespace nvrdisk
