#include "schema/UpdateRecord.h"

namespace zelto {

namespace {

std::string Format(const std::tm& local, const char* format) {
    char text[16] = "";
    std::strftime(text, sizeof text, format, &local);
    return text;
}

} // namespace

LocalStamp FormatLocalStamp(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    return {Format(local, "%H"), Format(local, "%j"), Format(local, "%Y")};
}

} // namespace zelto
