find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets PrintSupport Network Multimedia Test
    SerialPort)
find_package(SQLite3 REQUIRED)
find_package(OpenSSL REQUIRED COMPONENTS Crypto)
find_package(pugixml REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-uc icu-i18n)
# The tables' second store, a PostgreSQL server shared by several desks.
pkg_check_modules(PQ REQUIRED IMPORTED_TARGET libpq)
# The name edits read X11 key events before the input method takes them.
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb)

# libphonenumber ships neither a CMake nor a pkg-config file on Debian.
find_path(PHONENUMBER_INCLUDE_DIR phonenumbers/phonenumberutil.h REQUIRED)
find_library(PHONENUMBER_LIBRARY phonenumber REQUIRED)
add_library(PhoneNumber::PhoneNumber INTERFACE IMPORTED)
target_include_directories(PhoneNumber::PhoneNumber INTERFACE ${PHONENUMBER_INCLUDE_DIR})
target_link_libraries(PhoneNumber::PhoneNumber INTERFACE ${PHONENUMBER_LIBRARY} PkgConfig::ICU)
