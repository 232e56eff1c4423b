#pragma once
// LaTeX source in which every style of the text is a small command.
#include "language/export/Exporter.h"

namespace exporting {

class CLatexExporter : public IExporter {
public:
    CLatexExporter(const PropSetFile& props, const StyleTable& styles) : props_(props), styles_(styles) {}
    ExportReport write(const StyledText& in, std::string& out) override;

private:
    const PropSetFile& props_;
    const StyleTable& styles_;
};

} // namespace exporting
