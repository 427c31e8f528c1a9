// Points and directions in model space, and the view's model turn, shared by the view and the print sketches.
#pragma once

#include <cmath>

struct Vec {
    double x, y, z;
};
inline Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec operator*(Vec a, double k) { return {a.x * k, a.y * k, a.z * k}; }
inline double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec cross(Vec a, Vec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vec unit(Vec a) { return a * (1 / std::sqrt(dot(a, a))); }

// A model point as the view turns it: about x by rotX, then about z by rotZ (degrees).
inline Vec turned(Vec p, double rotX, double rotZ) {
    const double a = rotX * M_PI / 180, b = rotZ * M_PI / 180;
    const Vec q{p.x, p.y * std::cos(a) - p.z * std::sin(a), p.y * std::sin(a) + p.z * std::cos(a)};
    return {q.x * std::cos(b) - q.y * std::sin(b), q.x * std::sin(b) + q.y * std::cos(b), q.z};
}
