#include <gtest/gtest.h>

#include <map>
#include <string>

#include "scene/LevelNames.h"

namespace {

std::map<std::string, std::string> Parse(const std::string& name) {
    std::map<std::string, std::string> properties;
    ParseNameProperties(name, properties);
    return properties;
}

using Properties = std::map<std::string, std::string>;

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

TEST(LevelNames, ExistingEntriesAreKeptOrOverwritten) {
    Properties properties{{"mass", "1"}, {"other", "x"}};
    ParseNameProperties("PHYS_mass_3", properties);
    EXPECT_EQ(properties, (Properties{{"mass", "3"}, {"other", "x"}}));
}

TEST(LevelNames, StringHelpers) {
    EXPECT_TRUE(StartsWith("CLIPPER", "CLIP"));
    EXPECT_TRUE(StartsWith("CLIP", "CLIP"));
    EXPECT_FALSE(StartsWith("CLI", "CLIP"));
    EXPECT_FALSE(StartsWith("clip_wall", "CLIP"));
    EXPECT_FALSE(StartsWith("NOCLIP_grass", "CLIP"));
    EXPECT_EQ(AfterLastUnderscore("POWERUP_MILK_7"), "7");
    EXPECT_EQ(AfterLastUnderscore("POWERUP_MILK"), "MILK");
    EXPECT_EQ(AfterLastUnderscore("PU_lamp_13"), "13");
    EXPECT_EQ(AfterLastUnderscore("nounderscore"), "nounderscore");
    EXPECT_EQ(AfterLastUnderscore("ends_"), "");
    EXPECT_EQ(BeforeFirstUnderscore("TRIGGEREND_nextlevel_level2.dae"), "TRIGGEREND");
    EXPECT_EQ(BeforeFirstUnderscore("TRIGGERZONE"), "TRIGGERZONE");
    EXPECT_EQ(BeforeFirstUnderscore("_x"), "");
}

TEST(LevelNames, SplitKeepsRepeatsOrderAndTheKeyWithoutValue) {
    const NameProperties split = SplitNameProperties("PHYS_mass_3_mass_4_n");
    EXPECT_EQ(split.pairs, (std::vector<std::pair<std::string, std::string>>{{"mass", "3"}, {"mass", "4"}}));
    EXPECT_TRUE(split.hasKeyWithoutValue);
    EXPECT_EQ(split.keyWithoutValue, "n");
    EXPECT_FALSE(SplitNameProperties("PHYS_mass_3").hasKeyWithoutValue);
    EXPECT_TRUE(SplitNameProperties("PHYS").pairs.empty());
}

TEST(LevelNames, MassAndConvexAsTheGameReadsThem) {
    float mass = 0.0f;
    EXPECT_TRUE(ReadMassProperty({}, mass));
    EXPECT_FLOAT_EQ(mass, 1.0f);
    EXPECT_TRUE(ReadMassProperty({{"mass", "2.5"}}, mass));
    EXPECT_FLOAT_EQ(mass, 2.5f);
    EXPECT_TRUE(ReadMassProperty({{"mass", "-3"}}, mass));  // a number; the physics judges it
    EXPECT_FLOAT_EQ(mass, -3.0f);
    EXPECT_FALSE(ReadMassProperty({{"mass", "heavy"}}, mass));
    EXPECT_FLOAT_EQ(mass, 1.0f);
    EXPECT_FALSE(ReadMassProperty({{"mass", ""}}, mass));
    EXPECT_TRUE(ReadConvexProperty({{"convex", "true"}}));
    EXPECT_FALSE(ReadConvexProperty({{"convex", "True"}}));
    EXPECT_FALSE(ReadConvexProperty({}));
}
