/*подключение библиотеки расширенной работы с текстом*/
function записать_в_массив_текст(){
  return arguments[0].split("");
}
function записать_массив_в_строку(){
  return arguments[0].join("");
}
function принт(){
  alert([...arguments].join(" "));
}
function убрать_все_пробелы(){
  return arguments[0].split(" ").join("");
}
function разбить_строку_по_пробелам(){
  return arguments[0].split(" ");
}
function убрать_буквы(){
  return arguments[0].replace(/\D/g, "");
}
function убрать_цифры(){
  return arguments[0].replace(/\d/g, "");
}
/*конец библиотеки. Дальше можете писать свой код!*/
