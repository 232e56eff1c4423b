#pragma once
// The symbol images: one small icon per image number of the kind table.
#include <QIcon>

namespace symbols {

QIcon kindIcon(int image);

} // namespace symbols
