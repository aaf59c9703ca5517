// `nvrdisk cat` and `nvrdisk dump`: a file's bytes to stdout, a file or drive to a local file.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <utility>

#include "command_error.h"
#include "commands.h"
#include "file_copy.h"
#include "format.h"
#include "progress_bar.h"

namespace nvrdisk {
namespace {

class OutputFile {
public:
    explicit OutputFile(const std::string& path) : descriptor_(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)) {
        if (descriptor_ < 0) throw CommandError("cannot create " + path + ": " + std::strerror(errno));
    }
    ~OutputFile() {
        if (descriptor_ >= 0) close(descriptor_);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    int descriptor() const { return descriptor_; }
    // Closing reports late write errors (a full disk on a network file system, say).
    void finish(const std::string& path) {
        const int result = close(std::exchange(descriptor_, -1));
        if (result != 0) throw CommandError("cannot finish writing " + path + ": " + std::strerror(errno));
    }

private:
    int descriptor_;
};

}  // namespace

void catFile(const std::string& rname) {
    const ReadSource source = openSource(rname);
    ProgressBar noProgress(source.length, false);
    copyToDescriptor(source, STDOUT_FILENO, noProgress);
}

void dumpToFile(const std::string& rname, const std::string& outputPath) {
    const ReadSource source = openSource(rname);
    OutputFile output(outputPath);
    ProgressBar progress(source.length, isatty(STDERR_FILENO) == 1);
    const uint64_t copied = copyToDescriptor(source, output.descriptor(), progress);
    output.finish(outputPath);
    std::cout << "Wrote " << copied << " bytes (" << humanSize(copied) << ") of " << rname << " to " << outputPath
              << "\n";
}

}  // namespace nvrdisk
