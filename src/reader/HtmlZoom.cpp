#include "reader/HtmlZoom.h"

#include <cmath>

#include <QString>

#include "app/core/ParameterTable.h"

namespace HtmlZoom {

double zoomIn(double factor)
{
    return factor + factor * 0.1;
}

double zoomOut(double factor)
{
    return factor - factor * 0.1;
}

int percentOf(double factor)
{
    return static_cast<int>(std::floor(factor * 100.0 + 1e-6));
}

void storeZoom(ParameterTable& parameters, bool zoomFixed, double factor)
{
    if (!zoomFixed) {
        parameters.setValue(u"ZOOM", QString::number(percentOf(factor)));
    }
}

} // namespace HtmlZoom
