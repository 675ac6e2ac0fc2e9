// JSON text written as it is produced, member by member, in exactly the form
// PrintJson gives the same document: a report of a large model then costs
// the memory of its largest item, not of the whole document.
//
// PrintJson puts a container on one line unless something inside it is an
// object; a stream cannot look ahead, so the caller says which it is when it
// opens the container (an empty one prints as {} or [] either way).
#ifndef QEV_MODEL_JSON_STREAM_H
#define QEV_MODEL_JSON_STREAM_H

#include <cstdio>
#include <string>
#include <vector>

#include "json_text.h"

namespace qevmodel {

class JsonStream {
public:
    explicit JsonStream(std::FILE* out) : out_(out) {}

    void BeginObject(bool multiLine);
    void BeginArray(bool multiLine);
    // Names the next member of the open object.
    JsonStream& Key(const std::string& key);
    // A whole item, printed as PrintJson prints it at this depth.
    void Value(const Json& value);
    // An item already in its printed form (a flat one, for lists too long to
    // build a document per item).
    void RawValue(const std::string& text);
    void End();
    // Ends the document with its newline, as PrintJson does.
    void Finish();

private:
    struct Level {
        bool isObject;
        bool multiLine;
        bool empty;
    };
    void BeforeMember();
    void Write(const std::string& text);
    void Begin(bool isObject, bool multiLine);

    std::FILE* out_;
    std::vector<Level> levels_;
    std::string key_;
    std::string scratch_;
};

}  // namespace qevmodel

#endif
