/*подключение библиотеки расширенной работы с холстом*/
ctx=document.getElementById('canvas').getContext('2d');
var стандарт = 6.666;
function покрасить_весь_холст_в(){
  var прежний_цвет = ctx.fillStyle;
  ctx.fillStyle = arguments[0];
  ctx.fillRect(0, 0, ctx.canvas.width, ctx.canvas.height);
  ctx.fillStyle = прежний_цвет;
}
function нарисовать_квадрат(){
  ctx.fillRect(arguments[0], arguments[1], arguments[2], arguments[2]);
}
function размеры_холста(){
  if (arguments[0] === "стандарт") {
    ctx.canvas.height = window.innerHeight;
    ctx.canvas.width = window.innerWidth;
  } else {
    ctx.canvas.width = arguments[0];
    ctx.canvas.height = arguments[1];
  }
}
function проверка_столкновений(ах, ау, аш, ав, бх, бу, бш, бв){
  var Ах = ах + аш, Ау = ау + ав, Бх = бх + бш, Бу = бу + бв;
  var внутри = (x, y) => бх < x && x < Бх && бу < y && y < Бу;
  return внутри(ах, ау) || внутри(Ах, ау) || внутри(ах, Ау) || внутри(Ах, Ау);
}
/*конец библиотеки. Дальше можете писать свой код!*/
