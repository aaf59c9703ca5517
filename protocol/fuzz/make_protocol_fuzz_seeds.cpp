// Writes one seed per request code (and the fixed messages) for the message decoding fuzzer.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "protocol/messages.h"
#include "protocol/requests.h"

namespace {

void writeSeed(const std::string& directory, const std::string& name, const std::vector<uint8_t>& message) {
    std::ofstream out(directory + "/" + name, std::ios::binary);
    const char piece = 7;  // the fuzzer's first byte: the size of the pieces the bytes arrive in
    out.write(&piece, 1);
    out.write(reinterpret_cast<const char*>(message.data()), static_cast<std::streamsize>(message.size()));
}

protocol::Request sampleRequest(uint8_t code) {
    protocol::Request request;
    request.code = code;
    request.handle = 7;
    request.number = 1048578;
    request.wide = -2;
    request.disk.hdindex = 3;
    request.find.lType = TQHD_TYPE_FILE;
    std::snprintf(request.find.szName, sizeof request.find.szName, "%s", "a.nvr");
    request.find.lInode = 12;
    request.text = code == protocol::kDiskCopy ? "3" : "/3/0/dir/a.nvr";
    request.secondText = code == protocol::kDiskCopy ? "7" : "";
    return request;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seed directory>\n", argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    for (int code = 1; code <= 64; ++code) {
        auto bytes = protocol::encodeRequest(sampleRequest(static_cast<uint8_t>(code)));
        if (bytes) writeSeed(directory, "request-" + std::to_string(code), bytes.value());
    }
    const auto hello = protocol::makeHello();
    writeSeed(directory, "hello", {hello.begin(), hello.end()});
    const auto reply = protocol::encodeReply({1, 2, 3});
    writeSeed(directory, "reply", {reply.begin(), reply.end()});
    writeSeed(directory, "announcement", protocol::encodeAnnouncement({1, "\\\\.\\pipe\\tq_cs_svc_pipe_1_2_3"}));
    const auto notification = protocol::encodeNotification({TQHD_EVENT_COPY_PROGRESS, 0x4000001});
    writeSeed(directory, "notification", {notification.begin(), notification.end()});
    return 0;
}
