#include "results/json_writer.h"

#include <cmath>

#include "results/number_text.h"

namespace aqvis {

void Append_Json_Number(std::string& out, double v)
{
    if (!std::isfinite(v))
        out += "null";
    else
        Append_Number17(out, v == 0.0 ? 0.0 : v);
}

}  // namespace aqvis
