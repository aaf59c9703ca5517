// A halvex started by a test with its own device and runtime directories, stopped with SIGTERM.
#pragma once

#include <sys/types.h>

#include <string>

namespace clienttest {

class ServiceProcess {
public:
    // Starts the program and waits until its command socket is there; throws when it is not.
    ServiceProcess(const std::string& program, const std::string& deviceDirectory, const std::string& runtimeDirectory);
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // SIGTERM, then the exit status (-1 after a signal).
    int stop();

private:
    pid_t pid_ = -1;
};

}  // namespace clienttest
