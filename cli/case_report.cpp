#include "cli/case_report.h"

#include <utility>

#include "results/decimal_separator.h"

namespace aqvis::cli {

CaseReport::CaseReport(std::string path) : file_(std::move(path)), sep_(Environment_Decimal_Separator()) {}

void CaseReport::Record(CaseRun& run)
{
    if (!run.accepted) return;
    CaseResult& r = run.result;
    const CaseValues& s = r.values;
    try {
        const bool changed = !last_ || last_->formula != s.Formula || last_->xi != s.Xi ||
                             last_->a != s.Coef1 || last_->b != s.Coef2 || !file_.is_open();
        if (changed) {
            file_.Close_Report();
            last_.reset();
            file_.Open_Report(s, sep_);
            last_ = Key{s.Formula, s.Xi, s.Coef1, s.Coef2};
        }
        if (r.ok) file_.Append_Result_Line(s, r.derived, sep_);
    } catch (const CalcError& e) {
        r.Fail(e);
    }
}

}  // namespace aqvis::cli
