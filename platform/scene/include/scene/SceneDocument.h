#pragma once
#include <boost/shared_ptr.hpp>
#include <string>

namespace kavri3D {
namespace core {

/// What a data product shows: its own mesh, or a simple shape of a size and colour. A
/// document with neither shows as the small placeholder shape.
struct SceneDocument {
    std::string name;
    std::string mesh;            // "<model>.mesh"; empty: the shape below
    std::string shape;           // "cube", "sphere" or "arrow" (pointing along +z); empty with no mesh: the placeholder
    float size[3] = {1, 1, 1};   // of the 100-unit shape
    float colour[3] = {1, 1, 1}; // red, green, blue in 0..1
};

typedef boost::shared_ptr<SceneDocument> SceneDocumentPtr;

} // namespace core
} // namespace kavri3D
