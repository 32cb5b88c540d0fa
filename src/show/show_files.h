// The files the show reads from data/: its 224 pictures, in the order of
// the show's picture store, and the soundtrack. The picture list is written
// once, as name and path; it generates both the path table and the names
// the scenes use for the pictures (pic::eye is the store index of
// "data/eye.jpg").
#pragma once

#include <cstdint>

// X(name, path) for every picture, in store order.
#define SAVA_PICTURES(X) \
  X(convexa, "data/convexa.png")                       \
  X(colon, "data/colon.png")                           \
  X(year_2002, "data/2002.png")                        \
  X(helsinki, "data/helsinki.png")                     \
  X(shipyard1, "data/shipyard1.jpg")                   \
  X(yrh, "data/yrh.png")                               \
  X(tolvas, "data/tolvas.png")                         \
  X(present, "data/present.png")                       \
  X(factory1_jpg, "data/factory1.jpg")                 \
  X(factory1_png, "data/factory1.png")                 \
  X(design1, "data/design1.png")                       \
  X(design2, "data/design2.png")                       \
  X(crossplatform, "data/crossplatform.png")           \
  X(demo, "data/demo.png")                             \
  X(sava, "data/sava.png")                             \
  X(traffic1, "data/traffic1.jpg")                     \
  X(traffic2, "data/traffic2.jpg")                     \
  X(traffic3, "data/traffic3.jpg")                     \
  X(traffic4, "data/traffic4.jpg")                     \
  X(traffic5, "data/traffic5.jpg")                     \
  X(traffic6, "data/traffic6.jpg")                     \
  X(traffic7, "data/traffic7.jpg")                     \
  X(traffic8, "data/traffic8.jpg")                     \
  X(traffic, "data/traffic.png")                       \
  X(jam, "data/jam.png")                               \
  X(instant, "data/instant.png")                       \
  X(mobility, "data/mobility.png")                     \
  X(trafficbullshit1, "data/trafficbullshit1.png")     \
  X(trafficbullshit2, "data/trafficbullshit2.png")     \
  X(bullshitwhite, "data/bullshitwhite.png")           \
  X(bullshitblack, "data/bullshitblack.png")           \
  X(train_jpg, "data/train.jpg")                       \
  X(train_png, "data/train.png")                       \
  X(straightelectric, "data/straightelectric.png")     \
  X(locomotives, "data/locomotives.png")               \
  X(take, "data/take.png")                             \
  X(you, "data/you.png")                               \
  X(there, "data/there.png")                           \
  X(but, "data/but.png")                               \
  X(where, "data/where.png")                           \
  X(factory2, "data/factory2.jpg")                     \
  X(factory2small1, "data/factory2small1.png")         \
  X(factory2small2, "data/factory2small2.png")         \
  X(factory2small3, "data/factory2small3.png")         \
  X(energy, "data/energy.png")                         \
  X(crane1, "data/crane1.jpg")                         \
  X(crane1small1, "data/crane1small1.png")             \
  X(crane1small2, "data/crane1small2.png")             \
  X(crane1small3, "data/crane1small3.png")             \
  X(machinery, "data/machinery.png")                   \
  X(factory3, "data/factory3.jpg")                     \
  X(factory3small1, "data/factory3small1.png")         \
  X(factory3small2, "data/factory3small2.png")         \
  X(factory3small3, "data/factory3small3.png")         \
  X(electricity, "data/electricity.png")               \
  X(traffic9, "data/traffic9.jpg")                     \
  X(traffic9small1, "data/traffic9small1.png")         \
  X(traffic9small2, "data/traffic9small2.png")         \
  X(traffic9small3, "data/traffic9small3.png")         \
  X(technology, "data/technology.png")                 \
  X(laptop1, "data/laptop1.jpg")                       \
  X(laptop2, "data/laptop2.jpg")                       \
  X(laptop3, "data/laptop3.jpg")                       \
  X(laptop4, "data/laptop4.jpg")                       \
  X(laptop5, "data/laptop5.jpg")                       \
  X(laptop6, "data/laptop6.jpg")                       \
  X(laptop7, "data/laptop7.jpg")                       \
  X(laptop8, "data/laptop8.jpg")                       \
  X(laptop9, "data/laptop9.jpg")                       \
  X(laptop10, "data/laptop10.jpg")                     \
  X(laptop11, "data/laptop11.jpg")                     \
  X(laptop12, "data/laptop12.jpg")                     \
  X(laptop13, "data/laptop13.jpg")                     \
  X(laptop14, "data/laptop14.jpg")                     \
  X(laptop15, "data/laptop15.jpg")                     \
  X(laptop16, "data/laptop16.jpg")                     \
  X(motherboard, "data/motherboard.jpg")               \
  X(mobile, "data/mobile.png")                         \
  X(computing, "data/computing.png")                   \
  X(whenever, "data/whenever.png")                     \
  X(whereever, "data/whereever.png")                   \
  X(phone, "data/phone.jpg")                           \
  X(phonebox, "data/phonebox.png")                     \
  X(globalcoverage, "data/globalcoverage.png")         \
  X(factory4, "data/factory4.jpg")                     \
  X(factory4small1, "data/factory4small1.png")         \
  X(factory4small2, "data/factory4small2.png")         \
  X(factory4small3, "data/factory4small3.png")         \
  X(crane2, "data/crane2.jpg")                         \
  X(crane2small1, "data/crane2small1.png")             \
  X(crane2small2, "data/crane2small2.png")             \
  X(crane2small3, "data/crane2small3.png")             \
  X(powerstation, "data/powerstation.jpg")             \
  X(powerstationsmall1, "data/powerstationsmall1.png") \
  X(powerstationsmall2, "data/powerstationsmall2.png") \
  X(powerstationsmall3, "data/powerstationsmall3.png") \
  X(traffic10, "data/traffic10.jpg")                   \
  X(traffic10small1, "data/traffic10small1.png")       \
  X(traffic10small2, "data/traffic10small2.png")       \
  X(traffic10small3, "data/traffic10small3.png")       \
  X(fuel1, "data/fuel1.jpg")                           \
  X(fuel2, "data/fuel2.jpg")                           \
  X(fuel3, "data/fuel3.jpg")                           \
  X(fuel4, "data/fuel4.jpg")                           \
  X(fuel5, "data/fuel5.jpg")                           \
  X(fuel6, "data/fuel6.jpg")                           \
  X(fuel7, "data/fuel7.jpg")                           \
  X(fuel8, "data/fuel8.jpg")                           \
  X(fuel9, "data/fuel9.jpg")                           \
  X(technology2, "data/technology2.png")               \
  X(possibility, "data/possibility.png")               \
  X(answer, "data/answer.png")                         \
  X(problems, "data/problems.png")                     \
  X(binary, "data/binary.png")                         \
  X(eye, "data/eye.jpg")                               \
  X(what, "data/what.png")                             \
  X(about, "data/about.png")                           \
  X(the, "data/the.png")                               \
  X(problems2, "data/problems2.png")                   \
  X(ofthe, "data/ofthe.png")                           \
  X(mind, "data/mind.png")                             \
  X(stairs1, "data/stairs1.jpg")                       \
  X(stairs2, "data/stairs2.jpg")                       \
  X(stairs3, "data/stairs3.jpg")                       \
  X(stairs4, "data/stairs4.jpg")                       \
  X(stairs5, "data/stairs5.jpg")                       \
  X(stairs6, "data/stairs6.jpg")                       \
  X(stairs7, "data/stairs7.jpg")                       \
  X(stairs8, "data/stairs8.jpg")                       \
  X(stairs9, "data/stairs9.jpg")                       \
  X(stairs10, "data/stairs10.jpg")                     \
  X(stairs11, "data/stairs11.jpg")                     \
  X(stairs12, "data/stairs12.jpg")                     \
  X(stairs13, "data/stairs13.jpg")                     \
  X(stairs14, "data/stairs14.jpg")                     \
  X(stairs15, "data/stairs15.jpg")                     \
  X(fear, "data/fear.png")                             \
  X(insecurity, "data/insecurity.png")                 \
  X(loneliness, "data/loneliness.png")                 \
  X(insanity, "data/insanity.png")                     \
  X(basement1, "data/basement1.jpg")                   \
  X(basement2, "data/basement2.jpg")                   \
  X(basement3, "data/basement3.jpg")                   \
  X(basement4, "data/basement4.jpg")                   \
  X(basement5, "data/basement5.jpg")                   \
  X(basement6, "data/basement6.jpg")                   \
  X(basement7, "data/basement7.jpg")                   \
  X(basement8, "data/basement8.jpg")                   \
  X(basement9, "data/basement9.jpg")                   \
  X(basement10, "data/basement10.jpg")                 \
  X(basement11, "data/basement11.jpg")                 \
  X(basement12, "data/basement12.jpg")                 \
  X(basement13, "data/basement13.jpg")                 \
  X(basement14, "data/basement14.jpg")                 \
  X(basement15, "data/basement15.jpg")                 \
  X(elevator1, "data/elevator1.jpg")                   \
  X(elevator2, "data/elevator2.jpg")                   \
  X(elevator3, "data/elevator3.jpg")                   \
  X(elevator4, "data/elevator4.jpg")                   \
  X(elevator5, "data/elevator5.jpg")                   \
  X(elevator6, "data/elevator6.jpg")                   \
  X(elevator7, "data/elevator7.jpg")                   \
  X(elevator8, "data/elevator8.jpg")                   \
  X(elevator9, "data/elevator9.jpg")                   \
  X(pelsi1, "data/pelsi1.jpg")                         \
  X(pelsi2, "data/pelsi2.jpg")                         \
  X(pelsi3, "data/pelsi3.jpg")                         \
  X(pelsi4, "data/pelsi4.jpg")                         \
  X(pelsi5, "data/pelsi5.jpg")                         \
  X(pelsi6, "data/pelsi6.jpg")                         \
  X(pelsi7, "data/pelsi7.jpg")                         \
  X(pelsi8, "data/pelsi8.jpg")                         \
  X(lapinkulta, "data/lapinkulta.jpg")                 \
  X(lapinkultasmall1, "data/lapinkultasmall1.png")     \
  X(lapinkultasmall2, "data/lapinkultasmall2.png")     \
  X(lapinkultasmall3, "data/lapinkultasmall3.png")     \
  X(lapinkultasmall4, "data/lapinkultasmall4.png")     \
  X(lapinkultasmall5, "data/lapinkultasmall5.png")     \
  X(lapinkultasmall6, "data/lapinkultasmall6.png")     \
  X(lapinkultasmall7, "data/lapinkultasmall7.png")     \
  X(lapinkultasmall8, "data/lapinkultasmall8.png")     \
  X(lapinkultasmall9, "data/lapinkultasmall9.png")     \
  X(lapinkultasmall10, "data/lapinkultasmall10.png")   \
  X(lapinkultasmall11, "data/lapinkultasmall11.png")   \
  X(lapinkultasmall12, "data/lapinkultasmall12.png")   \
  X(beer, "data/beer.jpg")                             \
  X(water1, "data/water1.jpg")                         \
  X(water2, "data/water2.jpg")                         \
  X(water3, "data/water3.jpg")                         \
  X(water4, "data/water4.jpg")                         \
  X(peaceofmind, "data/peaceofmind.png")               \
  X(escapingreality, "data/escapingreality.png")       \
  X(help1, "data/help1.jpg")                           \
  X(help2, "data/help2.jpg")                           \
  X(help3, "data/help3.jpg")                           \
  X(help4, "data/help4.jpg")                           \
  X(credits, "data/credits.png")                       \
  X(kode, "data/kode.png")                             \
  X(gfx, "data/gfx.png")                               \
  X(musik, "data/musik.png")                           \
  X(design, "data/design.png")                         \
  X(pelsi, "data/pelsi.png")                           \
  X(thanks, "data/thanks.png")                         \
  X(inspiration, "data/inspiration.png")               \
  X(vaskel, "data/vaskel.png")                         \
  X(brannik, "data/brannik.png")                       \
  X(support, "data/support.png")                       \
  X(tolmar, "data/tolmar.png")                         \
  X(pkt, "data/pkt.png")                               \
  X(design3, "data/design3.png")                       \
  X(design4, "data/design4.png")                       \
  X(design5, "data/design5.jpg")                       \
  X(design6, "data/design6.jpg")                       \
  X(design7, "data/design7.jpg")                       \
  X(design8, "data/design8.jpg")                       \
  X(symbol, "data/symbol.png")                         \
  X(mixer1, "data/mixer1.jpg")                         \
  X(mixer2, "data/mixer2.jpg")                         \
  X(mixer3, "data/mixer3.jpg")                         \
  X(mixer4, "data/mixer4.jpg")                         \
  X(eps, "data/eps.jpg")                               \
  X(x51, "data/x51.jpg")                               \
  X(x52, "data/x52.jpg")                               \
  X(endscreen, "data/endscreen.png")

namespace pic {
#define SAVA_PICTURE_NAME(name, path) name,
enum Id : int32_t { SAVA_PICTURES(SAVA_PICTURE_NAME) };
#undef SAVA_PICTURE_NAME
}  // namespace pic

#define SAVA_PICTURE_COUNT(name, path) +1
inline constexpr int32_t picture_count = 0 SAVA_PICTURES(SAVA_PICTURE_COUNT);
#undef SAVA_PICTURE_COUNT

// The picture paths in store order, followed by a null entry.
extern const char* const picture_paths[picture_count + 1];

inline constexpr const char* soundtrack_path = "data/rinnu.mp3";
