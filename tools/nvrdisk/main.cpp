// nvrdisk: lists, browses and reads NVR disks through the client library: directly when this user
// may open the drives, else through the disk service.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <functional>
#include <string>

#include "command_error.h"
#include "commands.h"
#include "maintenance_commands.h"
#include "device_directory_option.h"
#include "result_names.h"
#include "service_check.h"

namespace {

struct Arguments {
    std::string devices;
    std::string rname;
    std::string path;
    bool json = false;
    int drive = -1;
    int status = 0;  // the exit status of commands that answer with one (check)
};

// Adds a command and remembers what to run when it is chosen.
CLI::App* addCommand(CLI::App& app, std::function<void()>& chosen, const std::string& name,
                     const std::string& description, std::function<void()> run) {
    CLI::App* command = app.add_subcommand(name, description);
    command->callback([&chosen, run = std::move(run)] { chosen = run; });
    return command;
}

void addRecordingCommands(CLI::App& app, Arguments& arguments, std::function<void()>& chosen);

void addCommands(CLI::App& app, Arguments& arguments, std::function<void()>& chosen) {
    using namespace nvrdisk;
    addCommand(app, chosen, "list", "List NVR disks with their volumes, then the other drives", listDrives);
    addCommand(app, chosen, "ls", "List a directory (/N/V/dir/) or show one file (/N/V/dir/file)",
               [&arguments] { listDirectory(arguments.rname); })
        ->add_option("RNAME", arguments.rname, "Drive, volume, directory or file, e.g. /1/0/docs/")
        ->required();
    addCommand(app, chosen, "cat", "Write a file's bytes to standard output",
               [&arguments] { catFile(arguments.rname); })
        ->add_option("RNAME", arguments.rname, "File, e.g. /1/0/README.txt")
        ->required();
    CLI::App* dump = addCommand(app, chosen, "dump", "Copy a file, or a whole drive (/N/), to a local file",
                                [&arguments] { dumpToFile(arguments.rname, arguments.path); });
    dump->add_option("RNAME", arguments.rname, "File, or /N/ for all of drive N")->required();
    dump->add_option("FILE", arguments.path, "Local file to write")->required();
    addCommand(app, chosen, "watch", "Print drives as they arrive and leave, until Ctrl-C", watchDrives);
    addCommand(app, chosen, "sample", "Write a sample device directory with NVR disk images",
               [&arguments] { writeSample(arguments.path); })
        ->add_option("DIR", arguments.path, "Directory to create or refill")
        ->required();
    CLI::App* check = addCommand(app, chosen, "check", "Check the frame check bytes of .264/.265 files",
                                 [&arguments] { arguments.status = checkVideos(arguments.path, arguments.json); });
    check->add_option("PATH", arguments.path, "A .264 or .265 file, or a directory searched depth first")
        ->required();
    check->add_flag("--json", arguments.json, "Machine-readable output");
    addRecordingCommands(app, arguments, chosen);
    addCommand(app, chosen, "status", "Say whether the drives are used directly or through the disk service", showStatus);
}

// Commands that reach no disk through the client library need neither drive access nor the service.
bool usesDisks(const CLI::App& app) {
    for (const char* name : {"sample", "check", "probe", "status"})
        if (app.got_subcommand(name)) return false;
    return true;
}

// export, info and probe: recordings and the recording library's drive probe.
void addRecordingCommands(CLI::App& app, Arguments& arguments, std::function<void()>& chosen) {
    using namespace nvrdisk;
    CLI::App* exporter = addCommand(app, chosen, "export", "Write a recording's stream (payload and index table) to a file",
                                    [&arguments] { exportRecording(arguments.rname, arguments.path); });
    exporter->add_option("RNAME", arguments.rname, "Index file of the recording, e.g. /1/0/record/ch1.nvr")->required();
    exporter->add_option("FILE", arguments.path, "Local file to write")->required();
    addCommand(app, chosen, "info", "Show a recording's times, lengths, units and index entries",
               [&arguments] { showRecordingInfo(arguments.rname); })
        ->add_option("RNAME", arguments.rname, "Index file of the recording")
        ->required();
    addCommand(app, chosen, "probe", "Ask the recording library whether drive N carries a raw data area",
               [&arguments] { probeDrive(arguments.drive); })
        ->add_option("N", arguments.drive, "Drive number")
        ->required();
}

int reportFailure(const nvrdisk::CommandError& failure) {
    if (failure.code())
        std::fprintf(stderr, "nvrdisk: %s: %s (%s)\n", nvrdisk::resultName(*failure.code()).c_str(), failure.what(),
                     nvrdisk::resultSentence(*failure.code()).c_str());
    else
        std::fprintf(stderr, "nvrdisk: %s\n", failure.what());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Lists, browses and reads the disks of network video recorders (NVR disks)."};
    app.fallthrough();
    app.require_subcommand(1);
    Arguments arguments;
    std::function<void()> chosen;
    app.add_option("--devices", arguments.devices,
                   "Directory of drive files PhysicalDrive<N> (default: $NVRDISK_DEVICE_DIR, else /dev/sdX)");
    addCommands(app, arguments, chosen);
    nvrdisk::addCopyCommand(app, chosen);
    nvrdisk::addFormatCommand(app, chosen);
    CLI11_PARSE(app, argc, argv);
    try {
        // The library scanned its drives when it loaded, so --devices must take effect before
        // the first call into it.
        if (!arguments.devices.empty()) nvrdisk::useDeviceDirectory(arguments.devices, argv);
        if (usesDisks(app)) nvrdisk::requireDiskAccess();
        chosen();
    } catch (const nvrdisk::CommandError& failure) {
        return reportFailure(failure);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "nvrdisk: %s\n", failure.what());
        return 1;
    }
    return arguments.status;
}
