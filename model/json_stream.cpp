#include "json_stream.h"

namespace qevmodel {

void JsonStream::Write(const std::string& text) { std::fwrite(text.data(), 1, text.size(), out_); }

void JsonStream::BeforeMember() {
    if (levels_.empty()) return;
    Level& level = levels_.back();
    scratch_.clear();
    if (!level.empty) scratch_ += level.multiLine ? "," : ", ";
    if (level.multiLine) {
        scratch_ += '\n';
        scratch_.append(levels_.size() * 2, ' ');
    }
    if (level.isObject) {
        scratch_ += Json(key_).dump();
        scratch_ += ": ";
    }
    level.empty = false;
    Write(scratch_);
}

void JsonStream::Begin(bool isObject, bool multiLine) {
    BeforeMember();
    std::fputc(isObject ? '{' : '[', out_);
    levels_.push_back(Level{isObject, multiLine, true});
}

void JsonStream::BeginObject(bool multiLine) { Begin(true, multiLine); }
void JsonStream::BeginArray(bool multiLine) { Begin(false, multiLine); }

JsonStream& JsonStream::Key(const std::string& key) {
    key_ = key;
    return *this;
}

void JsonStream::Value(const Json& value) {
    BeforeMember();
    scratch_.clear();
    AppendJson(value, static_cast<int>(levels_.size()), scratch_);
    Write(scratch_);
}

void JsonStream::RawValue(const std::string& text) {
    BeforeMember();
    Write(text);
}

void JsonStream::End() {
    const Level level = levels_.back();
    levels_.pop_back();
    if (!level.empty && level.multiLine) {
        scratch_.assign(1, '\n');
        scratch_.append(levels_.size() * 2, ' ');
        Write(scratch_);
    }
    std::fputc(level.isObject ? '}' : ']', out_);
}

void JsonStream::Finish() { std::fputc('\n', out_); }

}  // namespace qevmodel
