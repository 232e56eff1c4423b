#pragma once
// XHTML 1.0 Transitional page: a style sheet with one class per style and the text in spans.
#include "language/export/Exporter.h"

namespace exporting {

class CHtmlExporter : public IExporter {
public:
    CHtmlExporter(const PropSetFile& props, const StyleTable& styles) : props_(props), styles_(styles) {}
    ExportReport write(const StyledText& in, std::string& out) override;

private:
    const PropSetFile& props_;
    const StyleTable& styles_;
};

} // namespace exporting
