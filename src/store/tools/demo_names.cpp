#include "store/tools/demo_names.h"

#include "xbase/hutext.h"

namespace store::demo {
namespace {

const std::string_view kSurnames[] = {
    HU("Nagy"),     HU("Kovács"),   HU("Tóth"),     HU("Szabó"),    HU("Horváth"),
    HU("Varga"),    HU("Kiss"),     HU("Molnár"),   HU("Németh"),   HU("Farkas"),
    HU("Balogh"),   HU("Papp"),     HU("Takács"),   HU("Juhász"),   HU("Lakatos"),
    HU("Mészáros"), HU("Oláh"),     HU("Simon"),    HU("Rácz"),     HU("Fekete"),
    HU("Szilágyi"), HU("Török"),    HU("Fehér"),    HU("Balázs"),   HU("Gál"),
    HU("Szűcs"),    HU("Kocsis"),   HU("Pintér"),   HU("Fodor"),    HU("Szalai"),
    HU("Sipos"),    HU("Magyar"),   HU("Lukács"),   HU("Gulyás"),   HU("Bíró"),
    HU("Király"),   HU("Katona"),   HU("László"),   HU("Jakab"),    HU("Bogdán"),
    HU("Sándor"),   HU("Boros"),    HU("Fazekas"),  HU("Kelemen"),  HU("Antal"),
    HU("Orosz"),    HU("Somogyi"),  HU("Fülöp"),    HU("Veres"),    HU("Budai"),
    HU("Vincze"),   HU("Hegedűs"),  HU("Deák"),     HU("Bálint"),   HU("Illés"),
    HU("Pál"),      HU("Vass"),     HU("Szőke"),    HU("Fábián"),   HU("Vörös"),
    HU("Lengyel"),  HU("Bognár"),   HU("Jónás"),    HU("Hajdú"),    HU("Halász"),
    HU("Máté"),     HU("Székely"),  HU("Gáspár"),   HU("Kozma"),    HU("Pásztor"),
    HU("Dudás"),    HU("Virág"),    HU("Hegyi"),    HU("Orbán"),    HU("Erdős"),
    HU("Ördög"),    HU("Győri"),    HU("Újvári"),   HU("Ács"),      HU("Őri"),
    HU("Szentgyörgyi"), HU("Kis-Tóth"), HU("Öveges"), HU("Ürményi"), HU("Csűrös"),
};

const std::string_view kMale[] = {
    HU("László"), HU("István"), HU("József"),  HU("János"),   HU("Zoltán"), HU("Sándor"),
    HU("Gábor"),  HU("Ferenc"), HU("Attila"),  HU("Péter"),   HU("Tamás"),  HU("Zsolt"),
    HU("Tibor"),  HU("András"), HU("Csaba"),   HU("Imre"),    HU("Lajos"),  HU("György"),
    HU("Balázs"), HU("Róbert"), HU("Gyula"),   HU("Mihály"),  HU("Dávid"),  HU("Károly"),
    HU("Dániel"), HU("Béla"),   HU("Ádám"),    HU("Krisztián"), HU("Bence"), HU("Máté"),
    HU("Levente"), HU("Ákos"),  HU("Örs"),     HU("Ödön"),    HU("Győző"),  HU("Dezső"),
};

const std::string_view kFemale[] = {
    HU("Mária"),   HU("Erzsébet"), HU("Katalin"), HU("Éva"),     HU("Ilona"),   HU("Anna"),
    HU("Zsuzsanna"), HU("Margit"), HU("Judit"),   HU("Ágnes"),   HU("Andrea"),  HU("Erika"),
    HU("Krisztina"), HU("Ildikó"), HU("Szilvia"), HU("Irén"),    HU("Eszter"),  HU("Gabriella"),
    HU("Anita"),   HU("Mónika"),   HU("Edit"),    HU("Tímea"),   HU("Julianna"), HU("Viktória"),
    HU("Réka"),    HU("Dóra"),     HU("Boglárka"), HU("Hajnalka"), HU("Orsolya"), HU("Tünde"),
    HU("Rózsa"),   HU("Piroska"),  HU("Enikő"),   HU("Emőke"),   HU("Kinga"),   HU("Zsófia"),
};

const Town kTowns[] = {
    {HU("Budapest"), 1011, 1239},        {HU("Debrecen"), 4024, 4032},
    {HU("Szeged"), 6720, 6729},          {HU("Miskolc"), 3525, 3535},
    {HU("Pécs"), 7621, 7634},            {HU("Győr"), 9021, 9030},
    {HU("Nyíregyháza"), 4400, 4405},     {HU("Kecskemét"), 6000, 6000},
    {HU("Székesfehérvár"), 8000, 8000},  {HU("Szombathely"), 9700, 9700},
    {HU("Szolnok"), 5000, 5000},         {HU("Tatabánya"), 2800, 2800},
    {HU("Kaposvár"), 7400, 7400},        {HU("Érd"), 2030, 2030},
    {HU("Veszprém"), 8200, 8200},        {HU("Békéscsaba"), 5600, 5600},
    {HU("Zalaegerszeg"), 8900, 8900},    {HU("Sopron"), 9400, 9400},
    {HU("Eger"), 3300, 3300},            {HU("Nagykanizsa"), 8800, 8800},
    {HU("Dunaújváros"), 2400, 2400},     {HU("Hódmezővásárhely"), 6800, 6800},
    {HU("Cegléd"), 2700, 2700},          {HU("Baja"), 6500, 6500},
    {HU("Szekszárd"), 7100, 7100},       {HU("Vác"), 2600, 2600},
    {HU("Gödöllő"), 2100, 2100},         {HU("Ózd"), 3600, 3600},
    {HU("Salgótarján"), 3100, 3100},     {HU("Esztergom"), 2500, 2500},
    {HU("Kőszeg"), 9730, 9730},          {HU("Hajdúböszörmény"), 4220, 4220},
    {HU("Jászfelsőszentgyörgy"), 5111, 5111}, {HU("Balatonfüred"), 8230, 8230},
    {HU("Siófok"), 8600, 8600},          {HU("Mosonmagyaróvár"), 9200, 9200},
    {HU("Törökszentmiklós"), 5200, 5200}, {HU("Őriszentpéter"), 9941, 9941},
    {HU("Üllő"), 2225, 2225},            {HU("Öttevény"), 9153, 9153},
};

const std::string_view kStreets[] = {
    HU("Petőfi Sándor"),   HU("Kossuth Lajos"),   HU("Rákóczi Ferenc"),  HU("Ady Endre"),
    HU("Arany János"),     HU("József Attila"),   HU("Dózsa György"),    HU("Széchenyi István"),
    HU("Béke"),            HU("Fő"),              HU("Kölcsey Ferenc"),  HU("Jókai Mór"),
    HU("Bartók Béla"),     HU("Hunyadi János"),   HU("Vörösmarty Mihály"), HU("Táncsics Mihály"),
    HU("Deák Ferenc"),     HU("Bem József"),      HU("Damjanich János"), HU("Kodály Zoltán"),
    HU("Liszt Ferenc"),    HU("Móricz Zsigmond"), HU("Erkel Ferenc"),    HU("Szent István"),
    HU("Mátyás király"),   HU("Honvéd"),          HU("Rózsa"),           HU("Akácfa"),
    HU("Erdő"),            HU("Vasút"),           HU("Iskola"),          HU("Templom"),
    HU("Malom"),           HU("Hársfa"),          HU("Szőlőhegy"),       HU("Üröm"),
    HU("Öntöző"),          HU("Gyöngyvirág"),     HU("Nefelejcs"),       HU("Árpád fejedelem"),
};

const std::string_view kKinds[] = {
    HU("utca"), HU("utca"), HU("utca"), HU("utca"), HU("út"),     HU("út"),
    HU("tér"),  HU("körút"), HU("köz"), HU("sor"),  HU("sétány"), HU("fasor"),
    HU("lakótelep"), HU("park"), HU("rakpart"), HU("dűlő"),
};

const std::string_view kCompanyWords[] = {
    HU("Alföldi"),   HU("Dunántúli"), HU("Tiszamenti"), HU("Mátra"),    HU("Bakony"),
    HU("Kőröstáj"),  HU("Hajnal"),    HU("Délibáb"),    HU("Napfény"),  HU("Gyöngy"),
    HU("Szivárvány"), HU("Tölgyfa"),  HU("Fenyő"),      HU("Kristály"), HU("Őrség"),
};

const std::string_view kCompanyTrades[] = {
    HU("Építőipari"), HU("Kereskedelmi"), HU("Szolgáltató"), HU("Mezőgazdasági"),
    HU("Könyvelő"),   HU("Fuvarozó"),     HU("Élelmiszeripari"), HU("Informatikai"),
};

const std::string_view kOtherIncome[] = {
    HU("Nyeremény"), HU("Kamatjövedelem"), HU("Ingó vagyontárgy értékesítése"),
    HU("Jutalom"),   HU("Szerzői díj"),
};

}  // namespace

std::span<const std::string_view> surnames() { return kSurnames; }
std::span<const std::string_view> male_given_names() { return kMale; }
std::span<const std::string_view> female_given_names() { return kFemale; }
std::span<const Town> towns() { return kTowns; }
std::span<const std::string_view> street_names() { return kStreets; }
std::span<const std::string_view> street_kinds() { return kKinds; }
std::span<const std::string_view> company_words() { return kCompanyWords; }
std::span<const std::string_view> company_trades() { return kCompanyTrades; }
std::span<const std::string_view> other_income_names() { return kOtherIncome; }

}  // namespace store::demo
