// The compiled parts of Boost.Asio and Boost.Beast, built once here instead of in every file
// that includes them (BOOST_ASIO_SEPARATE_COMPILATION, BOOST_BEAST_SEPARATE_COMPILATION).
#include <boost/asio/impl/src.hpp>
#include <boost/beast/src.hpp>
