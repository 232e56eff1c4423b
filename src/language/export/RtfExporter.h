#pragma once
// RTF: font and colour tables, then the text with the control words that change between styles.
#include "language/export/Exporter.h"

namespace exporting {

class CRtfExporter : public IExporter {
public:
    CRtfExporter(const PropSetFile& props, const StyleTable& styles) : props_(props), styles_(styles) {}
    ExportReport write(const StyledText& in, std::string& out) override;

private:
    const PropSetFile& props_;
    const StyleTable& styles_;
};

} // namespace exporting
