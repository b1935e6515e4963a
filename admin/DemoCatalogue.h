#pragma once

#include <vector>

// The suppliers and products of the demo pharmacy; the synthetic pharmacy builds its names from
// them too. Texts are UTF-8.
namespace catalogue {

struct Supplier {
    const char* name;
    const char* tradeName;
    const char* address;
    const char* cep;
    const char* city;
    const char* state;
    const char* phone;
    const char* domain;
};

struct Product {
    const char* name;
    const char* group; // SUP, REV or PRP
    const char* family;
    const char* unit;    // stock unit
    const char* buyUnit; // usual purchase unit
    double cost;         // reais per stock unit
    int shelfMonths;     // validity from manufacture
    const char* manufacturer;
};

const std::vector<Supplier>& suppliers();
const std::vector<Product>& products();

} // namespace catalogue
