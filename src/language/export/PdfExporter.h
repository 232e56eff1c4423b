#pragma once
// PDF 1.3 with the standard Type 1 fonts (nothing embedded) in WinAnsiEncoding.
#include "language/export/Exporter.h"

namespace exporting {

class CPdfExporter : public IExporter {
public:
    CPdfExporter(const PropSetFile& props, const StyleTable& styles) : props_(props), styles_(styles) {}
    ExportReport write(const StyledText& in, std::string& out) override;

private:
    const PropSetFile& props_;
    const StyleTable& styles_;
};

} // namespace exporting
