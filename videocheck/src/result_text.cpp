// Text keys and default texts of the check results.
#include "videocheck/result_text.h"

namespace videocheck {

ResultText resultText(CheckCode code) {
    switch (code) {
    case CheckCode::Success: return {"CheckSuccess", "校验成功"};
    case CheckCode::NotSupportWatermark: return {"NotSupportWatermark", "不支持水印"};
    case CheckCode::Failure: return {"CheckFailure", "校验失败"};
    case CheckCode::ReadFailure: return {"FileToReadFile", "读取文件失败"};
    }
    return {"FileToReadFile", "读取文件失败"};
}

ResultText checkingText() { return {"Checking", "正在校验"}; }

}  // namespace videocheck
