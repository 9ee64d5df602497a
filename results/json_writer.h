#pragma once
// The one writer of JSON: objects, arrays and values appended to a string,
// the commas put in by the writer.  Numbers have 17 significant digits (they
// read back as the same double), negative zero is written 0, and a number
// that is not finite, which JSON cannot hold, is written null.  Strings are
// escaped so that the text is valid UTF-8 JSON whatever they hold.  Objects
// and arrays nest up to 64 deep.

#include <cstdint>
#include <string>
#include <string_view>

#include "io/text.h"  // Append_Json_String

namespace aqvis {

// A number as JSON writes it, appended to `out`: 17 significant digits,
// negative zero as 0, null where not finite.
void Append_Json_Number(std::string& out, double v);

class JsonWriter {
public:
    explicit JsonWriter(std::string& out) : out_(out) {}

    JsonWriter& Begin_Object() { return open('{'); }
    JsonWriter& End_Object() { return close('}'); }
    JsonWriter& Begin_Array() { return open('['); }
    JsonWriter& End_Array() { return close(']'); }
    // The name of the next member of the object being written: one of the
    // program's own names, plain ASCII that needs no escape.
    JsonWriter& Key(std::string_view name)
    {
        value_start();
        out_ += '"';
        out_ += name;
        out_ += "\":";
        after_key_ = true;
        return *this;
    }

    JsonWriter& Number(double v)
    {
        value_start();
        Append_Json_Number(out_, v);
        return *this;
    }
    JsonWriter& Integer(long long v)
    {
        value_start();
        out_ += std::to_string(v);
        return *this;
    }
    JsonWriter& String(std::string_view s)
    {
        value_start();
        Append_Json_String(out_, s);
        return *this;
    }
    JsonWriter& Bool(bool b)
    {
        value_start();
        out_ += b ? "true" : "false";
        return *this;
    }
    JsonWriter& Null()
    {
        value_start();
        out_ += "null";
        return *this;
    }

private:
    void value_start()
    {
        if (after_key_) {
            after_key_ = false;
        } else if (depth_ > 0) {
            const std::uint64_t bit = std::uint64_t{1} << (depth_ - 1);
            if (!(first_ & bit)) out_ += ',';
            first_ &= ~bit;
        }
    }
    JsonWriter& open(char c)
    {
        value_start();
        out_ += c;
        first_ |= std::uint64_t{1} << depth_++;
        return *this;
    }
    JsonWriter& close(char c)
    {
        out_ += c;
        --depth_;
        return *this;
    }

    std::string& out_;
    // Per open object or array, a bit set while nothing has been written in
    // it yet: no allocation per object.
    std::uint64_t first_ = 0;
    int depth_ = 0;
    bool after_key_ = false;
};

}  // namespace aqvis
