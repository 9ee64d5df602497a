#pragma once
// Coefficients of the reduced Helmholtz function of water, the equation of
// state for water of Hill (1990): the W1-W4 tables as (i, j, value) lists
// indexed as in the literature (from 1), the ideal-gas part A0 and the shape
// constants of the two weights.  The evaluation walks the index lists, so only
// non-zero entries are visited.  All are dimensionless.

namespace aqvis::coef {

struct Entry {
    int i;         // density-function index
    int j;         // temperature-function index
    double value;
};

// W1: R1-kind density functions times T^(j-1).
inline constexpr Entry W1[] = {
    {1, 3, 0.7529422956},    {1, 5, -0.3924227294},   {2, 4, 1.142004144},
    {3, 2, 0.04933218501},   {3, 3, -2.28026007},     {3, 4, -2.619059624},
    {3, 5, -0.2738770648},   {3, 7, 0.003946510403},  {4, 1, 0.3384249125},
    {4, 6, -0.01943443857},  {5, 1, -0.07153393406},  {5, 4, 0.4395237702},
    {5, 6, 0.003048860434},  {6, 2, -0.02328491212},  {6, 4, -0.03161046646},
    {7, 1, 0.0005493680814}, {7, 2, 0.00240209518},   {7, 4, 0.0006814467692},
};

// W2: ro^i times T^(j-1), damped by exp(-ro^2).
inline constexpr Entry W2[] = {
    {1, 1, 0.2243610314},   {1, 3, -2.178969357},  {1, 4, -0.1530432257},
    {1, 8, 0.03484674963},  {1, 12, 0.0005364384732}, {2, 1, 0.1193250201},
    {2, 3, 0.2674090542},   {2, 8, -1.537646434},  {2, 9, -1.419249232},
    {3, 3, 0.8647490995},   {3, 4, 2.059881454},   {3, 9, 0.7969984635},
    {4, 6, -2.740652563},   {4, 7, -3.261978564},  {5, 1, 0.06582959348},
    {5, 2, 0.1651430628},   {5, 5, -0.9015180666}, {5, 7, 1.609338784},
    {5, 8, 0.2316225257},   {5, 10, 0.007510544627}, {6, 4, -0.4888628703},
    {6, 5, -0.1444258609},  {6, 6, 0.4983771706},  {7, 4, 0.1375328753},
    {7, 5, 0.1558046279},
};

// W3: ro^(i+1) times T^(j+1), weighted by the Gaussian G around the critical point.
inline constexpr Entry W3[] = {
    {1, 1, 0.610938129},     {1, 2, 1.934466766},    {1, 3, 1.921820547},
    {1, 4, 0.6130354419},    {2, 4, -0.2855258689},  {2, 5, -0.2374074642},
    {3, 1, -0.01906644459},  {3, 3, -0.0441010591},  {4, 5, 0.03855866402},
    {5, 1, 0.007976092188},  {5, 4, 0.0252613708},   {5, 5, 0.00804167215},
};

// W4: R1-kind density functions times T^(j-1), weighted by H = exp(-nu (T + 3)).
inline constexpr Entry W4[] = {
    {1, 2, -50.25818675},     {1, 5, -0.8499893502},   {1, 9, 0.008314382544},
    {2, 4, 0.164900304},      {2, 9, 0.0008781327858}, {2, 10, 0.001537391213},
    {3, 1, -16.35439033},     {3, 10, -0.0009016873786}, {5, 10, 0.0003326628664},
};

// Ideal-gas part A0(T), k = 1..8 (index 0 unused).
inline constexpr double A0[9] = {0.0,          7.07501275112, -8.34240569963, -0.36460138,
                                 -0.036897043, 0.003033815,   0.000390109,    0.11359287,
                                 2.4131785};

// Gaussian weight G = exp(-alpha dlT - beta dlro - gamma dlT^2 - dlta dlro^2)
// around the critical point, dlT = T + 1, dlro = ro - 1.
inline constexpr double alpha = 80.0;
inline constexpr double beta = 1.0;
inline constexpr double gamma = 130.0;
inline constexpr double dlta = 12.0;

// Temperature weight H = exp(-nu (T + 3)).
inline constexpr double nu = 4.0;

}  // namespace aqvis::coef
