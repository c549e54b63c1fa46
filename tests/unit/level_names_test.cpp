#include <gtest/gtest.h>

#include <map>
#include <string>

#include "scene/LevelNames.h"

namespace {

using Properties = std::map<std::string, std::string>;

Properties Parse(const std::string& name) {
    Properties properties;
    ParseNameProperties(name, properties);
    return properties;
}

}  // namespace

TEST(LevelNames, NamePropertiesAsTheGameReadsThem) {
    const std::pair<const char*, Properties> cases[] = {
        {"PHYS_mass_5_convex_true", {{"mass", "5"}, {"convex", "true"}}},
        {"TRIGGEREND_nextlevel_level2.dae", {{"nextlevel", "level2.dae"}}},
        {"PHYS_mass_5_convex", {{"mass", "5"}}},  // a trailing key without a value is left out
        {"PHYS_mass_5_mass_7", {{"mass", "7"}}},  // the last of a repeated key counts
        {"PHYS", {}}, {"PHYS_", {}}, {"PHYS_mass", {}}, {"", {}},
        // Empty segments give empty keys or values: in "PHYS__mass_2" the empty first segment is
        // a key whose value is "mass", and "2" is left over.
        {"PHYS__mass_2", {{"", "mass"}}},
        {"PHYS_mass__convex_true", {{"mass", ""}, {"convex", "true"}}},
        {"PHYS_mass_", {{"mass", ""}}},
    };
    for (const auto& c : cases) EXPECT_EQ(Parse(c.first), c.second) << "'" << c.first << "'";
}

TEST(LevelNames, MassAndConvexAsTheGameReadsThem) {
    float mass = 0.0f;
    EXPECT_TRUE(ReadMassProperty({}, mass));
    EXPECT_FLOAT_EQ(mass, 1.0f);
    EXPECT_TRUE(ReadMassProperty({{"mass", "2.5"}}, mass));
    EXPECT_FLOAT_EQ(mass, 2.5f);
    EXPECT_FALSE(ReadMassProperty({{"mass", "heavy"}}, mass));
    EXPECT_FLOAT_EQ(mass, 1.0f);
    EXPECT_FALSE(ReadMassProperty({{"mass", ""}}, mass));
    EXPECT_TRUE(ReadConvexProperty({{"convex", "true"}}));
    EXPECT_FALSE(ReadConvexProperty({{"convex", "True"}}));
}
