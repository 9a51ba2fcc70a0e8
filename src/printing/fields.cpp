#include "printing/fields.h"

#include "db/values.h"

namespace tav::printing {

bool isFilled(const QVariant& value)
{
    return !value.isNull() && !trimBlanks(value.toString()).isEmpty();
}

} // namespace tav::printing
