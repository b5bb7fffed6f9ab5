#pragma once
// Display normalisation of a FITS image: the ten modes of the options
// record applied to the values, then the optional negation.
#include "fitsimage/fits_options.h"

#include <vector>

namespace qm {

// Normalises v in place by o.mode with the levels of `o`, then negates every
// value when o.inversion is set, except that "Normalization" on data that do
// not span zero changes nothing at all.
void normaliseFitsValues(std::vector<double>& v, const FitsOptions& o);

} // namespace qm
