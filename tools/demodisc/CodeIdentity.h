#pragma once
// A fingerprint of the running generator, part of every cache key for drawn
// media, so that a change to the drawing code re-renders the cached films.
#include <QByteArray>

namespace demodisc {

QByteArray CodeIdentity();

} // namespace demodisc
