// JSON texts for the MQTT messages: numbers in their shortest exact form, quoted
// strings, and a flat builder for objects.
#pragma once

#include <string>
#include <string_view>

// The shortest text that reads back as the same value; "null" for a value that is
// not finite (a current while the power factor is still unknown).
std::string jsonNumber(double value);
std::string jsonNumber(float value);

std::string jsonString(std::string_view text);

class JsonObject {
public:
    // A member whose value is JSON text already (a number, an object, an array).
    JsonObject& raw(std::string_view name, std::string_view json);
    JsonObject& text(std::string_view name, std::string_view value) { return raw(name, jsonString(value)); }
    JsonObject& number(std::string_view name, double value) { return raw(name, jsonNumber(value)); }
    JsonObject& number(std::string_view name, float value) { return raw(name, jsonNumber(value)); }

    std::string str() const { return "{" + members_ + "}"; }

private:
    std::string members_;
};
