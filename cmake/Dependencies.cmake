# Every third-party library, found once. Headers come in as SYSTEM so their
# warnings never mix with ours.
find_package(PkgConfig REQUIRED)
find_package(nlohmann_json 3 REQUIRED)
find_package(ICU REQUIRED COMPONENTS uc i18n)
find_package(Threads REQUIRED)
