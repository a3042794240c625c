// What a typed answer means to a prompt: numbers, angles, points in the forms users type
// (x,y[,z], @dx,dy[,dz], dist<angle, @dist<angle, *x,y for world coordinates, @ alone), the
// angle override "<angle", and keyword lists with their abbreviations and local/global names.
// Pure functions over GBK text: no editor state, no output, never a throw, so the fuzz target
// can feed them anything. A parse either succeeds whole or leaves its outputs untouched.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace NUVAcad {

// A real as typed: optional sign, digits with at most one decimal point, optional exponent;
// blanks around it are ignored. No hexadecimal, no "inf"/"nan", nothing after the number.
bool ParseTypedReal(std::string_view text, double& value);
// An integer: optional sign and digits only (range checks are the prompt's).
bool ParseTypedInteger(std::string_view text, long long& value);

// An angle as typed, in radians, before the drawing's base angle and direction are applied:
// decimal degrees ("45", "-12.5"), degrees/minutes/seconds ("45d30'15\"", "45d30'"), or a
// number with a unit suffix: "d" degrees, "r" radians, "g" grads.
bool ParseTypedAngle(std::string_view text, double& radians);

// The drawing's angle conventions: the direction of angle 0 (radians, counter-clockwise from
// the X axis of the user system) and whether typed angles run clockwise.
struct AngleConvention {
    double base = 0;
    bool clockwise = false;
    // The direction (counter-clockwise from X) of an angle as the user typed it.
    double direction(double typed) const { return base + (clockwise ? -typed : typed); }
};

// How a typed point was written.
struct TypedPoint {
    enum class Form {
        Absolute,   // x,y[,z]: coordinates of the user system (world with "*")
        Relative,   // @dx,dy[,dz] or @ alone: from the reference point
        Polar,      // dist<angle: from the origin
        RelPolar,   // @dist<angle: from the reference point
    };
    Form form = Form::Absolute;
    bool world = false;    // "*" given: coordinates are world coordinates
    bool hasZ = false;     // a third coordinate was typed
    double v[3] = {0, 0, 0};  // coordinates or offsets; for the polar forms v[0] = distance
    double angle = 0;      // polar forms: the typed angle (radians, before the convention)
};
bool ParseTypedPoint(std::string_view text, TypedPoint& point);
// The point a typed point stands for, in the user system (or world when point.world is set).
// `reference` is the point "@" refers to; `z` fills a missing third coordinate of an absolute
// point (the current elevation); relative offsets without z keep the reference's z.
void ResolveTypedPoint(const TypedPoint& point, const double reference[3], double z,
                       const AngleConvention& angles, double out[3]);

// "<angle": the angle override for the next point. The angle is as typed (radians).
bool ParseAngleOverride(std::string_view text, double& radians);

// A keyword list as acedInitGet takes it: keywords separated by blanks; a capital letter run
// marks a keyword's abbreviation ("LType": LT), "FULL,ab" gives it explicitly; a lone "_"
// separates the local keywords (shown and typed) from their global names, which prompts return
// and which may be typed with a leading "_".
class KeywordList {
public:
    KeywordList() = default;
    explicit KeywordList(std::string_view spec);

    bool empty() const { return local_.empty(); }
    size_t size() const { return local_.size(); }
    // The local keyword at i, as written (without an explicit abbreviation).
    const std::string& local(size_t i) const { return local_[i].word; }
    // The name returned for keyword i: its global name when the list has them, else itself.
    const std::string& result(size_t i) const;

    // Index of the keyword the typed text selects, or -1: the exact keyword (letter case
    // ignored), else its abbreviation, else the one keyword the text is a long enough prefix
    // of. "_word" is matched against the global names. Two candidates give -1.
    int match(std::string_view typed) const;

private:
    struct Word {
        std::string word;  // as written
        std::string abbrev;  // upper case
        size_t minPrefix = 0;  // a prefix this long (or longer) selects the keyword
    };
    static Word makeWord(std::string_view token);
    static int find(const std::vector<Word>& words, std::string_view typed);

    std::vector<Word> local_;
    std::vector<Word> global_;
};

}  // namespace NUVAcad
